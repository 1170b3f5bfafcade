#include "cli/Commands.h"

#include "platform/NativePath.h"

#include <cstdio>

namespace glyphor::cli {

void PrintError(const std::exception& error)
{
    std::fprintf(stderr, "%s\n", platform::DisplayMessage(error.what()).toUtf8().constData());
}

} // namespace glyphor::cli
