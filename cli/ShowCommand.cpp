#include "cli/Commands.h"

#include "cli/CommandLine.h"
#include "cli/OutputFile.h"
#include "iconfile/IconFileReader.h"
#include "iconfile/PngEncoder.h"
#include "util/Error.h"

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
        WriteOutput(args[1], PngOfIconFile(args[0]), ExistingOutput::Refuse);
    });
}

} // namespace glyphor::cli
