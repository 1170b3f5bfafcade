#include "cli/Commands.h"

#include "cli/CommandLine.h"
#include "cli/OutputFile.h"
#include "exe/IconExtractor.h"
#include "exe/Thumbnail.h"
#include "util/Error.h"

#include <cstdio>

namespace glyphor::cli {

namespace {

// The one place where the thumbnailer reads its input: the file's bytes go
// straight to the same readers, with the same limits, as every extraction.
Result<std::vector<std::uint8_t>> ThumbnailOfFile(const std::string& path, int size)
{
    auto source = exe::IconSource::fromFile(path);
    if (!source)
        return Failure { exe::kNoIconsText };
    return exe::MakeThumbnail(*source, size);
}

} // namespace

int ThumbnailCommand(const Arguments& args)
{
    if (args.size() != 3) {
        std::fputs("usage: glyphor2-cli thumbnail FILE OUT.png SIZE\n", stderr);
        return 2;
    }
    // File managers ask for 128, 256, 512 and 1024; anything above the largest
    // image gives the largest, at its own size.
    const auto size = ParseWholeNumber(args[2]);
    if (!size || *size < 1) {
        std::fprintf(stderr, "'%s' is not a valid size in pixels\n", Shown(args[2]).c_str());
        return 2;
    }
    return RunReportingErrors([&] {
        RequireReadableFile(args[0]);
        const auto png = ThumbnailOfFile(args[0], *size);
        if (!png)
            throw Error(Shown(args[0]) + ": " + png.message());
        // File managers make OUT before they call the thumbnailer.
        WriteOutput(args[1], *png, ExistingOutput::FillIfEmpty);
    });
}

} // namespace glyphor::cli
