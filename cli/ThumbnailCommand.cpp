#include "cli/Commands.h"

#include "cli/FileArguments.h"
#include "cli/OutputFile.h"
#include "platform/MappedFile.h"
#include "platform/Thumbnail.h"
#include "util/Error.h"

#include <charconv>
#include <cstdio>

namespace glyphor::cli {

namespace {

// The one place where the thumbnailer reads its input: the file's bytes go
// straight to the same readers, with the same limits, as every extraction.
Result<std::vector<std::uint8_t>> ThumbnailOfFile(const std::string& path, int size)
{
    auto file = platform::MappedFile::open(path);
    if (!file)
        return Failure { platform::kNoIconsText };
    return platform::MakeThumbnail(file->bytes(), size);
}

// A size in pixels: a whole number from 1 up. File managers ask for 128, 256,
// 512 and 1024; anything above the largest image gives the largest.
std::optional<int> ParseSize(const std::string& text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < 1)
        return std::nullopt;
    return value;
}

} // namespace

int ThumbnailCommand(const Arguments& args)
{
    if (args.size() != 3) {
        std::fputs("usage: glyphor2-cli thumbnail FILE OUT.png SIZE\n", stderr);
        return 2;
    }
    const auto size = ParseSize(args[2]);
    if (!size) {
        std::fprintf(stderr, "'%s' is not a valid size in pixels\n", args[2].c_str());
        return 2;
    }
    try {
        RequireReadableFile(args[0]);
        const auto png = ThumbnailOfFile(args[0], *size);
        if (!png)
            throw Error(Shown(args[0]) + ": " + png.message());
        WriteWholeFile(args[1], *png);
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

} // namespace glyphor::cli
