#pragma once
// The file operations of a harvest run, behind one seam so that tests can
// make any of them fail (the tests run as root, where permission bits stop
// nothing). The program uses the POSIX implementation.

#include "platform/FileSystem.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace glyphor {

// An icon file's bytes, whole: two files hold the same icon when they are
// equal in length and in every byte.
using IconFileBytes = std::vector<std::uint8_t>;
// A file larger than this holds no icon a harvest collects (the program's
// files are 766 bytes), so the merge does not read it whole: it equals nothing.
inline constexpr std::uint64_t kMaxComparedSize = 1 << 20;

class FileOps {
public:
    virtual ~FileOps() = default;

    // The entries of a folder with their attribute bits, in the order the
    // system gives them, without "." and ".."; nothing when the folder
    // cannot be searched, which the walk tells apart from an empty folder.
    virtual std::optional<std::vector<platform::DirEntry>> listDirectory(const QString& folder);
    // Makes a folder: 0, or the system's error number (EEXIST when something
    // of that name is there). A failure is not an error for the run.
    virtual int makeDirectory(const QString& path);
    // Removes an empty folder; false otherwise.
    virtual bool removeDirectory(const QString& path);
    // Copies from into a new file under the first name from nextName that
    // nothing has, never replacing anything (a name taken meanwhile gives way
    // to the next one). The copy is written under a hidden temporary name in
    // scratchFolder, which must be on the destination's file system, and
    // takes its name when complete, so that a failed or killed copy leaves
    // nothing under a final name. Returns the name taken; nothing when the
    // copy failed, and when from is not a regular file. nextName may raise.
    virtual std::optional<QString> copyToNewName(const QString& from, const QString& scratchFolder,
        const std::function<QString()>& nextName);
    virtual bool deleteFile(const QString& path);
    // The bytes of a file; nothing when it is larger than kMaxComparedSize or
    // not a regular file (a fifo, a device), which is opened without waiting.
    // Raises EInOutError with the system's text when it cannot be opened or read.
    virtual std::optional<IconFileBytes> readIconFile(const QString& path);
    // Whether the file at path holds exactly bytes now: the last look before
    // an icon is dropped as a duplicate of it, since another program may have
    // removed or replaced it since it was read.
    virtual bool holds(const QString& path, std::span<const std::uint8_t> bytes);

    // The bytes as the merge compares them: a file that cannot be opened or
    // read (gone, without read permission, a dangling link) holds no icon
    // that could be compared, so, like a file too large, it equals nothing.
    std::optional<IconFileBytes> comparableBytes(const QString& path);
};

// The one instance the program uses.
FileOps& SystemFileOps();

} // namespace glyphor
