#include "cli/Commands.h"

#include "cli/FileArguments.h"
#include "platform/IconExtractor.h"
#include "util/Error.h"

#include <cstdio>

namespace glyphor::cli {

int IconsCommand(const Arguments& args)
{
    if (args.size() != 1) {
        std::fputs("usage: glyphor2-cli icons FILE\n", stderr);
        return 2;
    }
    try {
        RequireReadableFile(args[0]);
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    // A file that can be read but is no executable simply has no icons, as
    // the icon picker and the scans see it.
    std::printf("%d\n", platform::IconCount(args[0]));
    return 0;
}

} // namespace glyphor::cli
