#include "cli/OutputFile.h"

#include "cli/CommandLine.h"
#include "files/NewFile.h"
#include "platform/FileSystem.h"
#include "util/Error.h"

#include <utility>

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

void WriteNewFile(const std::string& path, std::span<const std::uint8_t> bytes)
{
    files::NewFile file(path);
    if (!file.ok())
        throw Error(
            FormatMessage("Cannot create file %s", Shown(path)) + ": " + Reason(file.error()));
    if (!file.write(bytes.data(), bytes.size()) || !file.finish())
        throw Error("Stream write error: " + Shown(path) + ": " + Reason(file.error()));
    bool offered = false;
    const auto placed = file.place([&]() -> std::optional<std::string> {
        if (std::exchange(offered, true))
            return std::nullopt;
        return path;
    });
    if (!placed)
        throw Error(
            FormatMessage("Cannot create file %s", Shown(path)) + ": " + Reason(file.error()));
}

} // namespace glyphor::cli
