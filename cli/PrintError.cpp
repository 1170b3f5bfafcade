#include "cli/Commands.h"

#include "files/NativePath.h"

#include <cstdio>

namespace glyphor::cli {

void PrintError(const std::exception& error)
{
    std::fprintf(stderr, "%s\n", files::DisplayMessage(error.what()).toUtf8().constData());
}

} // namespace glyphor::cli
