#pragma once
// The file operations of a harvest run, behind one seam so that tests can
// make any of them fail (the tests run as root, where permission bits stop
// nothing). The program uses the POSIX implementation.

#include "platform/FileSystem.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace glyphor {

// The first 500 bytes of an icon file: two files hold the same icon when
// these are equal.
inline constexpr std::size_t kSignatureSize = 500;
using Signature = std::array<std::uint8_t, kSignatureSize>;

class FileOps {
public:
    virtual ~FileOps() = default;

    // The entries of a folder with their attribute bits, in the order the
    // system gives them, without "." and ".."; nothing when the folder
    // cannot be searched, which the walk tells apart from an empty folder.
    virtual std::optional<std::vector<platform::DirEntry>> listDirectory(const QString& folder);
    // True when the folder was made; a failure is not an error for the run.
    virtual bool createDirectory(const QString& path);
    // Removes an empty folder; false otherwise.
    virtual bool removeDirectory(const QString& path);
    // Copies from to to, replacing a file at to. The copy is written under a
    // hidden temporary name in to's folder and renamed into place when
    // complete, so that a failed copy leaves nothing behind. Fails when from
    // is not a regular file.
    virtual bool copyFile(const QString& from, const QString& to);
    virtual bool deleteFile(const QString& path);
    // The signature of a file; nothing when it is shorter than 500 bytes or
    // not a regular file (a fifo, a device), which is opened without waiting.
    // Raises EInOutError with the system's text when it cannot be opened or read.
    virtual std::optional<Signature> readSignature(const QString& path);
};

// The one instance the program uses.
FileOps& SystemFileOps();

} // namespace glyphor
