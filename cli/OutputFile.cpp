#include "cli/OutputFile.h"

#include "cli/CommandLine.h"
#include "files/NewFile.h"
#include "platform/FileSystem.h"
#include "util/Error.h"

namespace glyphor::cli {

namespace {

std::string Reason(int error)
{
    return platform::SystemErrorText(error).toStdString();
}

} // namespace

void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes)
{
    files::NewFile file(path);
    if (!file.ok())
        throw Error(
            FormatMessage("Cannot create file %s", Shown(path)) + ": " + Reason(file.error()));
    if (!file.write(bytes.data(), bytes.size()) || !file.finish() || !file.replace(path))
        throw Error("Stream write error: " + Shown(path) + ": " + Reason(file.error()));
}

} // namespace glyphor::cli
