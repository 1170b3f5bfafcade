#include "harvest/FileOps.h"

#include "files/InputFile.h"
#include "files/NativePath.h"
#include "files/NewFile.h"
#include "util/Error.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace glyphor {

namespace {

// Every path reaches the system through this, byte-exact.
std::string Native(const QString& path)
{
    return files::ToNativePath(path);
}

// Opens path for reading only when it is a regular file: a fifo (any name
// ending in .ico can be one) would otherwise hold the run for ever, and a
// device or socket gives no icon either.
files::InputFile OpenRegularFile(const QString& path)
{
    return files::InputFile::open(Native(path));
}

} // namespace

std::optional<std::vector<platform::DirEntry>> FileOps::listDirectory(const QString& folder)
{
    try {
        return platform::ListDirectory(folder, platform::AttributeDetail::Full);
    } catch (const Error&) {
        return std::nullopt;
    }
}

int FileOps::makeDirectory(const QString& path)
{
    return ::mkdir(files::ToNativePath(path).c_str(), 0777) == 0 ? 0 : errno;
}

bool FileOps::removeDirectory(const QString& path)
{
    return ::rmdir(Native(path).c_str()) == 0;
}

std::optional<QString> FileOps::copyToNewName(
    const QString& from, const QString& scratchFolder, const std::function<QString()>& nextName)
{
    // Anything but a regular file fails the copy, so that the clean-up keeps it.
    files::InputFile in = OpenRegularFile(from);
    if (!in.ok())
        return std::nullopt;
    const QString name = from.mid(from.lastIndexOf(QLatin1Char('/')) + 1);
    files::NewFile out(files::ToNativePath(scratchFolder), files::ToNativePath(name));
    if (!out.ok())
        return std::nullopt;
    std::uint8_t buffer[64 * 1024];
    for (;;) {
        const files::InputFile::Read got = in.read(buffer);
        if (got.error != 0 || !out.write(buffer, got.count))
            return std::nullopt;
        if (got.count < sizeof buffer)
            break;
    }
    if (!out.finish())
        return std::nullopt;
    QString offered;
    const bool placed = out.place([&]() -> std::optional<std::string> {
                               offered = nextName();
                               return files::ToNativePath(offered);
                           })
                            .has_value();
    if (!placed)
        return std::nullopt;
    return offered;
}

bool FileOps::deleteFile(const QString& path)
{
    return ::unlink(Native(path).c_str()) == 0;
}

std::optional<IconFileBytes> FileOps::readIconFile(const QString& path)
{
    files::InputFile file = OpenRegularFile(path);
    if (!file.ok()) {
        // A fifo, device or socket cannot hold an icon: like a file too large
        // it equals nothing, and its own copy fails later, so it is never
        // deleted.
        if (file.notRegular())
            return std::nullopt;
        platform::ThrowFileIoError(file.error());
    }
    if (file.size() > kMaxComparedSize)
        return std::nullopt;
    // One byte more than the size shows whether the file grew meanwhile.
    IconFileBytes bytes(std::size_t(file.size()) + 1);
    const files::InputFile::Read got = file.read(bytes);
    if (got.error != 0)
        platform::ThrowFileIoError(got.error);
    if (got.count > file.size())
        return std::nullopt;
    bytes.resize(got.count);
    return bytes;
}

bool FileOps::holds(const QString& path, std::span<const std::uint8_t> bytes)
{
    try {
        const std::optional<IconFileBytes> now = FileOps::readIconFile(path);
        return now && std::equal(now->begin(), now->end(), bytes.begin(), bytes.end());
    } catch (const EInOutError&) {
        return false;
    }
}

std::optional<IconFileBytes> FileOps::comparableBytes(const QString& path)
{
    try {
        return readIconFile(path);
    } catch (const EInOutError&) {
        return std::nullopt;
    }
}

FileOps& SystemFileOps()
{
    static FileOps ops;
    return ops;
}

} // namespace glyphor
