#include "cli/Commands.h"

#include "iconfile/IconFileWriter.h"
#include "iconfile/IconNormalizer.h"
#include "platform/IconExtractor.h"
#include "util/Error.h"

#include <charconv>
#include <cstdio>
#include <filesystem>

namespace glyphor::cli {

namespace {

std::optional<int> ParseIndex(const std::string& text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty())
        return std::nullopt;
    return value;
}

// The capture as the program makes it: the extracted icon passes through the
// 32 x 32 round trip and the one writer. No icon is the error that the save of
// an empty icon raises.
void Capture(const std::optional<IconImage>& icon, const std::string& out)
{
    if (!icon)
        throw Error("Icon image is not valid");
    WriteIconFile(NormalizeIcon(*icon), out);
}

} // namespace

int CaptureCommand(const Arguments& args)
{
    if (args.size() != 3) {
        std::fputs("usage: glyphor2-cli capture FILE INDEX OUT.ico\n", stderr);
        return 2;
    }
    auto index = ParseIndex(args[1]);
    if (!index) {
        std::fprintf(stderr, "'%s' is not a valid integer value\n", args[1].c_str());
        return 2;
    }
    try {
        Capture(platform::ExtractIcon(args[0], *index), args[2]);
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

int CaptureAllCommand(const Arguments& args)
{
    if (args.size() != 2) {
        std::fputs("usage: glyphor2-cli capture-all FILE OUTDIR\n", stderr);
        return 2;
    }
    // The file is opened and parsed once for all of its icons, which is what a
    // scan of one file does; a capture per process would measure start-up.
    auto opened = platform::IconSource::fromFile(args[0]);
    const platform::IconSource source = opened ? std::move(*opened) : platform::IconSource(std::span<const std::uint8_t> {});
    const int count = source.count();
    int written = 0;
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Icon%04d.ico", i % 10000);
        const std::string out = (std::filesystem::path(args[1]) / name).string();
        try {
            Capture(source.icon(i), out);
            ++written;
        } catch (const Error& e) {
            std::fprintf(stderr, "%s: icon %d: %s\n", args[0].c_str(), i, e.what());
            ++failed;
        }
    }
    std::printf("%d\n", written);
    return failed == 0 ? 0 : 1;
}

} // namespace glyphor::cli
