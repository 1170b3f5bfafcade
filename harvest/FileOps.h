#pragma once
// The file operations of a harvest, behind one seam so that tests can make
// any of them fail (the tests run as root, where permission bits stop
// nothing). The program uses the POSIX implementation. Every operation works
// on a name in a folder the harvest holds open, never on a path, so that no
// change of a path meanwhile (a folder renamed, replaced by a link) can send
// it elsewhere.

#include "files/Folder.h"
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
    virtual std::optional<std::vector<platform::DirEntry>> listDirectory(
        const files::Folder& folder);
    // Makes folder name in parent: 0, or the system's error number (EEXIST
    // when something of that name is there).
    virtual int makeDirectory(const files::Folder& parent, const QString& name);
    // Removes the empty folder name of parent; false otherwise.
    virtual bool removeDirectory(const files::Folder& parent, const QString& name);
    // Copies name of from into a new file of to, under the first name from
    // nextName that nothing has, never replacing anything (a name taken
    // meanwhile gives way to the next one). The copy is written under a
    // hidden temporary name in from, which must be on to's file system, and
    // takes its name when complete, so that a failed or killed copy leaves
    // nothing under a final name. Returns the name taken; nothing when the
    // copy failed, and when the file is not a regular one, with why in
    // reason. nextName may raise.
    virtual std::optional<QString> copyToNewName(const files::Folder& from, const QString& name,
        const files::Folder& to, const std::function<QString()>& nextName, QString& reason);
    virtual bool deleteFile(const files::Folder& folder, const QString& name);
    // The bytes of a file; nothing when it is larger than kMaxComparedSize or
    // not a regular file (a fifo, a device), which is opened without waiting.
    // Raises EInOutError with the system's text when it cannot be opened or read.
    virtual std::optional<IconFileBytes> readIconFile(
        const files::Folder& folder, const QString& name);
    // Whether the file holds exactly bytes now: the last look before an icon
    // is dropped as a duplicate of it, since another program may have
    // removed or replaced it since it was read.
    virtual bool holds(
        const files::Folder& folder, const QString& name, std::span<const std::uint8_t> bytes);

    // The bytes as the merge compares them: a file that cannot be opened or
    // read (gone, without read permission, a dangling link) holds no icon
    // that could be compared, so, like a file too large, it equals nothing.
    std::optional<IconFileBytes> comparableBytes(const files::Folder& folder, const QString& name);
};

// The one instance the program uses.
FileOps& SystemFileOps();

} // namespace glyphor
