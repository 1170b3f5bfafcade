#include "cli/OutputFile.h"

#include "cli/CommandLine.h"
#include "cli/StandardOutput.h"
#include "files/EmptyFile.h"
#include "files/NewFile.h"
#include "platform/FileSystem.h"
#include "util/Error.h"

#include <cerrno>

namespace glyphor::cli {

namespace {

std::string Reason(int error)
{
    return platform::SystemErrorText(error).toStdString();
}

} // namespace

void CannotCreate(const std::string& path, int error)
{
    throw Error(FormatMessage("Cannot create file %s", Shown(path)) + ": " + Reason(error));
}

void CannotWrite(const std::string& path, int error)
{
    throw Error("Stream write error: " + Shown(path) + ": " + Reason(error));
}

namespace {

// Makes path a new file of bytes; false, with error, when the name cannot
// be taken.
bool PlaceNew(const std::string& path, std::span<const std::uint8_t> bytes, int& error)
{
    files::NewFile file(path);
    if (!file.ok())
        CannotCreate(path, file.error());
    if (!file.write(bytes.data(), bytes.size()) || !file.finish())
        CannotWrite(path, file.error());
    if (file.placeAs(path))
        return true;
    error = file.error();
    return false;
}

// Fills the empty file at path; false when there is none to fill, with
// error telling what is there (ENOENT: nothing).
bool FillEmptyFile(const std::string& path, std::span<const std::uint8_t> bytes, int& error)
{
    files::EmptyFile file = files::EmptyFile::open(path);
    if (!file.ok()) {
        error = file.error();
        return false;
    }
    if (!file.write(bytes.data(), bytes.size()) || !file.finish())
        CannotWrite(path, file.error());
    return true;
}

} // namespace

void WriteOutput(
    const std::string& path, std::span<const std::uint8_t> bytes, ExistingOutput existing)
{
    if (path == "-") {
        WriteStandardOutput(bytes);
        return;
    }
    const bool fill = existing == ExistingOutput::FillIfEmpty;
    int error = ENOENT;
    if (fill && FillEmptyFile(path, bytes, error))
        return;
    if (error != ENOENT)
        CannotCreate(path, error);

    if (PlaceNew(path, bytes, error))
        return;
    // A file manager may make the empty file just after it was looked for.
    if (error == EEXIST && fill && FillEmptyFile(path, bytes, error))
        return;
    CannotCreate(path, error);
}

void WriteNewFile(const std::string& path, std::span<const std::uint8_t> bytes)
{
    int error = 0;
    if (!PlaceNew(path, bytes, error))
        CannotCreate(path, error);
}

} // namespace glyphor::cli
