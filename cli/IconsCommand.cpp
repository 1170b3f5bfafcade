#include "cli/Commands.h"

#include "cli/CommandLine.h"
#include "exe/IconExtractor.h"

#include <cstdio>

namespace glyphor::cli {

int IconsCommand(const Arguments& args)
{
    if (args.size() != 1) {
        std::fputs("usage: glyphor2-cli icons FILE\n", stderr);
        return 2;
    }
    return RunReportingErrors([&] {
        RequireReadableFile(args[0]);
        RequireIconSource(args[0]);
        std::printf("%d\n", exe::IconCount(args[0]));
    });
}

} // namespace glyphor::cli
