#include "cli/FileArguments.h"

#include "platform/NativePath.h"
#include "platform/PathCheck.h"
#include "util/Error.h"

namespace glyphor::cli {

std::string Shown(const std::string& path)
{
    return platform::displayPath(platform::fromNativePath(path)).toStdString();
}

void RequireReadableFile(const std::string& path)
{
    if (auto problem = platform::fileReadProblem(platform::fromNativePath(path)))
        throw Error(Shown(path) + ": " + problem->toStdString());
}

} // namespace glyphor::cli
