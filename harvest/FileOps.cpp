#include "harvest/FileOps.h"

#include "files/InputFile.h"
#include "files/NativePath.h"
#include "files/NewFile.h"
#include "util/Error.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glyphor {

namespace {

// Every name reaches the system through this, byte-exact.
std::string Native(const QString& name)
{
    return files::ToNativePath(name);
}

// Opens a file for reading only when it is a regular file: a fifo (any name
// ending in .ico can be one) would otherwise hold the run for ever, and a
// device or socket gives no icon either.
files::InputFile OpenRegularFile(const files::Folder& folder, const QString& name)
{
    return files::InputFile::openAt(folder.descriptor(), Native(name));
}

} // namespace

std::optional<std::vector<platform::DirEntry>> FileOps::listDirectory(const files::Folder& folder)
{
    if (!folder.ok())
        return std::nullopt;
    try {
        std::vector<platform::DirEntry> entries;
        // Folder, hidden and link are all a harvest asks of an entry; the
        // read-only bit would cost a stat of every one.
        platform::SearchDirectoryAt(
            folder.descriptor(), [&](const platform::DirEntry& e) { entries.push_back(e); },
            platform::AttributeDetail::Kind);
        return entries;
    } catch (const Error&) {
        return std::nullopt;
    }
}

int FileOps::makeDirectory(const files::Folder& parent, const QString& name)
{
    if (!parent.ok())
        return parent.error();
    return ::mkdirat(parent.descriptor(), Native(name).c_str(), 0777) == 0 ? 0 : errno;
}

bool FileOps::removeDirectory(const files::Folder& parent, const QString& name)
{
    return parent.ok() && ::unlinkat(parent.descriptor(), Native(name).c_str(), AT_REMOVEDIR) == 0;
}

std::optional<QString> FileOps::copyToNewName(const files::Folder& from, const QString& name,
    const files::Folder& to, const std::function<QString()>& nextName, QString& reason)
{
    const auto failed = [&](int number) {
        reason = platform::SystemErrorText(number);
        return std::nullopt;
    };
    // Anything but a regular file fails the copy, so that the clean-up keeps it.
    files::InputFile in = OpenRegularFile(from, name);
    if (!in.ok()) {
        if (in.notRegular()) {
            reason = QStringLiteral("not a regular file");
            return std::nullopt;
        }
        return failed(in.error());
    }
    files::NewFile out(from, Native(name));
    if (!out.ok())
        return failed(out.error());
    std::uint8_t buffer[64 * 1024];
    for (;;) {
        const files::InputFile::Read got = in.read(buffer);
        if (got.error != 0)
            return failed(got.error);
        if (!out.write(buffer, got.count))
            return failed(out.error());
        if (got.count < sizeof buffer)
            break;
    }
    if (!out.finish())
        return failed(out.error());
    QString offered;
    const bool placed = out.placeIn(to,
                               [&]() -> std::optional<std::string> {
                                   offered = nextName();
                                   return Native(offered);
                               })
                            .has_value();
    if (!placed)
        return failed(out.error());
    return offered;
}

bool FileOps::deleteFile(const files::Folder& folder, const QString& name)
{
    return folder.ok() && ::unlinkat(folder.descriptor(), Native(name).c_str(), 0) == 0;
}

std::optional<IconFileBytes> FileOps::readIconFile(const files::Folder& folder, const QString& name)
{
    files::InputFile file = OpenRegularFile(folder, name);
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

bool FileOps::holds(
    const files::Folder& folder, const QString& name, std::span<const std::uint8_t> bytes)
{
    try {
        const std::optional<IconFileBytes> now = FileOps::readIconFile(folder, name);
        return now && std::equal(now->begin(), now->end(), bytes.begin(), bytes.end());
    } catch (const EInOutError&) {
        return false;
    }
}

std::optional<IconFileBytes> FileOps::comparableBytes(
    const files::Folder& folder, const QString& name)
{
    try {
        return readIconFile(folder, name);
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
