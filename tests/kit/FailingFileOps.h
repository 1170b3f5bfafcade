#pragma once
// File operations that fail for chosen names, as a full disk, a locked file or
// a folder without rights would; the tests run as root, where permission bits
// stop nothing.

#include "harvest/FileOps.h"
#include "platform/FileSystem.h"
#include "util/Error.h"

#include <cerrno>

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStringList>

namespace glyphor::test {

class FailingFileOps : public FileOps {
public:
    QStringList failCopyOf; // collected names whose copy fails
    QStringList raiseOnCopyOf; // collected names whose copy raises, as a full destination does
    QStringList failOpenOf; // names that cannot be opened for their signature
    QStringList failDeleteOf; // names that cannot be deleted
    bool failMkdir = false;
    QStringList failListOf; // folder names that cannot be searched
    QHash<QString, int> reads; // reads of a file's bytes for comparison, by path

    std::optional<QString> copyToNewName(const QString& from, const QString& scratchFolder,
        const std::function<QString()>& nextName) override
    {
        if (failCopyOf.contains(QFileInfo(from).fileName()))
            return std::nullopt;
        if (raiseOnCopyOf.contains(QFileInfo(from).fileName()))
            throw Error("No free icon file name left");
        return FileOps::copyToNewName(from, scratchFolder, nextName);
    }
    std::optional<IconFileBytes> readIconFile(const QString& path) override
    {
        ++reads[path];
        if (failOpenOf.contains(QFileInfo(path).fileName()))
            throw EInOutError(platform::FileIoErrorText(EACCES));
        return FileOps::readIconFile(path);
    }
    bool deleteFile(const QString& path) override
    {
        return failDeleteOf.contains(QFileInfo(path).fileName()) ? false
                                                                 : FileOps::deleteFile(path);
    }
    std::optional<std::vector<platform::DirEntry>> listDirectory(const QString& folder) override
    {
        if (failListOf.contains(QDir(folder).dirName()))
            return std::nullopt;
        return FileOps::listDirectory(folder);
    }
    int makeDirectory(const QString& path) override
    {
        return failMkdir ? EROFS : FileOps::makeDirectory(path);
    }
};

} // namespace glyphor::test
