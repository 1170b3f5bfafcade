#include "cli/Commands.h"

#include "cli/CommandLine.h"
#include "cli/OutputFile.h"
#include "iconfile/IconFileReader.h"
#include "iconfile/PngEncoder.h"
#include "util/Error.h"

#include <cstdio>

namespace glyphor::cli {

int ShowCommand(const Arguments& args)
{
    if (args.size() != 2) {
        std::fputs("usage: glyphor2-cli show FILE OUT.png\n", stderr);
        return 2;
    }
    return RunReportingErrors([&] {
        IconFile file = ReadIconFile(args[0]);
        auto png = EncodePng(file.image());
        if (!png)
            throw Error(png.message());
        WriteWholeFile(args[1], *png);
    });
}

} // namespace glyphor::cli
