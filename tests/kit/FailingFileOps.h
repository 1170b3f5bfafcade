#pragma once
// File operations that fail for chosen names, as a full disk, a locked file or
// a folder without rights would; the tests run as root, where permission bits
// stop nothing.

#include "files/NativePath.h"
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

    std::optional<QString> copyToNewName(const files::Folder& from, const QString& name,
        const files::Folder& to, const std::function<QString()>& nextName, QString& reason) override
    {
        if (failCopyOf.contains(name)) {
            reason = platform::SystemErrorText(ENOSPC);
            return std::nullopt;
        }
        if (raiseOnCopyOf.contains(name))
            throw Error("No free icon file name left");
        return FileOps::copyToNewName(from, name, to, nextName, reason);
    }
    std::optional<IconFileBytes> readIconFile(
        const files::Folder& folder, const QString& name) override
    {
        ++reads[PathOf(folder, name)];
        if (failOpenOf.contains(name))
            throw EInOutError(platform::FileIoErrorText(EACCES));
        return FileOps::readIconFile(folder, name);
    }
    bool deleteFile(const files::Folder& folder, const QString& name) override
    {
        return failDeleteOf.contains(name) ? false : FileOps::deleteFile(folder, name);
    }
    std::optional<std::vector<platform::DirEntry>> listDirectory(
        const files::Folder& folder) override
    {
        if (failListOf.contains(platform::FileNameOf(files::FromNativePath(folder.path()))))
            return std::nullopt;
        return FileOps::listDirectory(folder);
    }
    int makeDirectory(const files::Folder& parent, const QString& name) override
    {
        return failMkdir ? EROFS : FileOps::makeDirectory(parent, name);
    }

private:
    static QString PathOf(const files::Folder& folder, const QString& name)
    {
        return files::FromNativePath(folder.pathOf(files::ToNativePath(name)));
    }
};

} // namespace glyphor::test
