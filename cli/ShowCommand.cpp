#include "cli/Commands.h"

#include "cli/CommandLine.h"
#include "cli/OutputFile.h"
#include "iconfile/IconFileReader.h"
#include "iconfile/PngEncoder.h"
#include "util/Error.h"

#include <QString>

#include <cstdio>

namespace glyphor::cli {

namespace {

// The reader's messages name the file only where they are about opening it;
// a damaged file ("Icon image is not valid") is named here, once.
[[noreturn]] void RethrowNaming(const std::string& path, const Error& error)
{
    const std::string message = error.what();
    if (message.find(path) != std::string::npos)
        throw error;
    throw Error(Shown(path) + ": " + message);
}

std::vector<std::uint8_t> PngOfIconFile(const std::string& path)
{
    try {
        IconFile file = ReadIconFile(path);
        auto png = EncodePng(file.image());
        if (!png)
            throw Error(png.message());
        return std::move(*png);
    } catch (const Error& e) {
        RethrowNaming(path, e);
    }
}

} // namespace

int ShowCommand(const Arguments& args)
{
    if (args.size() != 2) {
        std::fputs("usage: glyphor2-cli show FILE OUT.png\n", stderr);
        return 2;
    }
    return RunReportingErrors([&] {
        RequireReadableFile(args[0]);
        // The reader takes icon files by their name; anything else would be
        // refused for its "picture file extension", which says nothing of
        // what show wants.
        const std::string lower = QString::fromStdString(args[0]).toLower().toStdString();
        if (!lower.ends_with(".ico"))
            throw Error(Shown(args[0]) + ": not an icon file (.ico)");
        WriteOutput(args[1], PngOfIconFile(args[0]), ExistingOutput::Refuse);
    });
}

} // namespace glyphor::cli
