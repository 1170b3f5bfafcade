#include "cli/Commands.h"

#include "cli/CommandLine.h"
#include "exe/IconExtractor.h"
#include "harvest/IconProvider.h"
#include "iconfile/IconFileWriter.h"
#include "iconfile/IconNormalizer.h"
#include "util/Error.h"

#include <cstdio>

namespace glyphor::cli {

namespace {

// The capture as the program makes it: the extracted icon passes through the
// 32 x 32 round trip and the one writer. A damaged icon is the error that a
// harvest skips it for, with the reader's reason, unless the file could no
// longer be read (another program made it shorter): that is said, with the
// file.
void Capture(
    const exe::IconSource& source, int index, const std::string& file, const std::string& out)
{
    const auto icon = source.icon(index);
    if (const std::string failure = source.readFailure(); !failure.empty())
        throw Error(FormatMessage("Cannot read file %s", file) + ": " + failure);
    if (!icon)
        throw Error(InvalidIconMessage(icon.message()));
    WriteIconFile(NormalizeIcon(*icon), out);
}

// The icons of a file that RequireReadableFile has let through; none when it
// went away since.
exe::IconSource Open(const std::string& file)
{
    auto opened = exe::IconSource::fromFile(file);
    return opened ? std::move(*opened) : exe::IconSource(std::span<const std::uint8_t> {});
}

// An index the file does not have is the user's mistake, not a damaged icon,
// and is told as such.
void RequireIndex(const exe::IconSource& source, const std::string& file, int index)
{
    const int count = source.count();
    if (index >= 0 && index < count)
        return;
    throw Error(Shown(file) + " has " + std::to_string(count)
        + (count == 1 ? " icon; " : " icons; ") + std::to_string(index) + " is out of range");
}

} // namespace

int CaptureCommand(const Arguments& args)
{
    if (args.size() != 3) {
        std::fputs("usage: glyphor2-cli capture FILE INDEX OUT.ico\n", stderr);
        return 2;
    }
    auto index = ParseWholeNumber(args[1]);
    if (!index) {
        PrintError(Error(NotAnIndexText(args[1])));
        return 2;
    }
    return RunReportingErrors([&] {
        RequireReadableFile(args[0]);
        const exe::IconSource source = Open(args[0]);
        RequireIndex(source, args[0], *index);
        Capture(source, *index, args[0], args[2]);
    });
}

int CaptureAllCommand(const Arguments& args)
{
    if (args.size() != 2) {
        std::fputs("usage: glyphor2-cli capture-all FILE OUTDIR\n", stderr);
        return 2;
    }
    if (RunReportingErrors([&] {
            RequireReadableFile(args[0]);
            RequireIconSource(args[0]);
        })
        != 0)
        return 1;
    // The file is opened and parsed once for all of its icons, which is what a
    // scan of one file does; a capture per process would measure start-up.
    const exe::IconSource source = Open(args[0]);
    const int count = source.count();
    int written = 0;
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Icon%04d.ico", i % 10000);
        // Joined as bytes: the folder's name goes to the system as given.
        const std::string out = args[1].ends_with('/') ? args[1] + name : args[1] + "/" + name;
        try {
            Capture(source, i, args[0], out);
            ++written;
        } catch (const Error& e) {
            PrintError(Error(args[0] + ": icon " + std::to_string(i) + ": " + e.what()));
            ++failed;
        }
    }
    std::printf("%d\n", written);
    return failed == 0 ? 0 : 1;
}

} // namespace glyphor::cli
