#include "harvest/TempFolder.h"

#include "files/Folder.h"
#include "files/NativePath.h"
#include "files/NewFile.h"
#include "harvest/FileOps.h"
#include "iconfile/IconFileWriter.h"
#include "platform/FileSystem.h"
#include "platform/NameOrder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace glyphor {

namespace {

constexpr std::size_t kProgramIconFileSize = 766;
constexpr std::size_t kProgramHeaderSize = 126;

const char kMarkText[] = "Glyphor 2 collects the icons of a harvest in this folder.\n"
                         "It removes the folder when the harvest has ended.\n";

// The first 126 bytes of every icon file the program writes: the header,
// the directory entry, the bitmap header and the 16-colour table.
const std::vector<std::uint8_t>& ProgramHeader()
{
    static const std::vector<std::uint8_t> header = [] {
        IconImage blank;
        blank.width = kIconSize;
        blank.height = kIconSize;
        blank.pixels.assign(std::size_t(kIconSize) * kIconSize, 0xFF000000u);
        blank.mask.assign(std::size_t(kIconSize) * kIconSize, 0);
        std::vector<std::uint8_t> bytes = EncodeIconFile(blank);
        bytes.resize(kProgramHeaderSize);
        return bytes;
    }();
    return header;
}

std::string Native(const QString& path)
{
    return files::ToNativePath(path);
}

bool WriteMark(const files::Folder& folder)
{
    const int fd = ::openat(folder.descriptor(), kTempMarkName,
        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written
        = ::write(fd, kMarkText, sizeof kMarkText - 1) == ssize_t(sizeof kMarkText - 1);
    return ::close(fd) == 0 && written;
}

bool IsMark(const platform::DirEntry& entry)
{
    return entry.name == QLatin1String(kTempMarkName)
        && !(entry.attributes & (platform::faDirectory | platform::faSymLink));
}

// A temporary file of one of the program's writers for one of its icon
// files: "." + the icon's name + "." + six random characters.
bool IsProgramTemporary(const QString& name)
{
    if (!files::NewFile::isTemporaryName(Native(name)))
        return false;
    const QString inner = name.mid(1, name.size() - 8);
    return IsIconFileName(inner);
}

bool IsPlainFile(const platform::DirEntry& entry)
{
    return !(entry.attributes & (platform::faDirectory | platform::faSymLink));
}

} // namespace

bool IsIconFileName(const QString& name)
{
    if (name.size() != 12 || !name.startsWith(QLatin1String("Icon"))
        || !name.endsWith(QLatin1String(".ico")))
        return false;
    return std::all_of(name.begin() + 4, name.begin() + 8,
        [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

bool IsProgramIconFile(std::span<const std::uint8_t> bytes)
{
    const std::vector<std::uint8_t>& header = ProgramHeader();
    return bytes.size() == kProgramIconFileSize
        && std::equal(header.begin(), header.end(), bytes.begin());
}

int MakeTempFolder(FileOps& files, const files::Folder& destination, const QString& name)
{
    if (!destination.ok())
        return destination.error();
    const int dest = destination.descriptor();
    const std::string native = Native(name);
    struct stat st { };
    if (::fstatat(dest, native.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString hidden
            = QStringLiteral(".Temp.%1").arg(random() % 0x1000000u, 6, 16, QLatin1Char('0'));
        const int made = files.makeDirectory(destination, hidden);
        if (made == EEXIST)
            continue;
        if (made != 0)
            return made;
        const files::Folder made_ = destination.child(Native(hidden));
        int error = made_.ok() && WriteMark(made_)
            ? files::RenameNoReplaceAt(dest, Native(hidden), dest, native)
            : errno;
        if (error == EINVAL || error == ENOSYS) {
            // A file system without a rename that refuses to replace: a plain
            // rename replaces nothing but an empty folder, which holds nothing
            // to lose.
            error = ::renameat(dest, Native(hidden).c_str(), dest, native.c_str()) == 0 ? 0 : errno;
            if (error == ENOTEMPTY || error == ENOTDIR || error == EISDIR)
                error = EEXIST;
        }
        if (error != 0) {
            if (made_.ok())
                ::unlinkat(made_.descriptor(), kTempMarkName, 0);
            files.removeDirectory(destination, hidden);
        }
        return error;
    }
    return EEXIST;
}

TempFolderOwner ClaimTempFolder(FileOps& files, const files::Folder& folder)
{
    if (!folder.ok())
        return TempFolderOwner::Nobody;
    const auto entries = files.listDirectory(folder);
    if (!entries)
        return TempFolderOwner::Someone;
    if (std::any_of(entries->begin(), entries->end(), IsMark))
        return TempFolderOwner::Program;
    // Without the mark: the program's only when it holds something, and
    // nothing but icon files of the program and its writers' temporaries.
    if (entries->empty())
        return TempFolderOwner::Someone;
    for (const platform::DirEntry& entry : *entries) {
        if (!IsPlainFile(entry))
            return TempFolderOwner::Someone;
        if (IsProgramTemporary(entry.name))
            continue;
        if (!IsIconFileName(entry.name))
            return TempFolderOwner::Someone;
        const std::optional<IconFileBytes> bytes = files.comparableBytes(folder, entry.name);
        if (!bytes || !IsProgramIconFile(*bytes))
            return TempFolderOwner::Someone;
    }
    return WriteMark(folder) ? TempFolderOwner::Program : TempFolderOwner::Someone;
}

QStringList ListCollected(FileOps& files, const files::Folder& folder)
{
    QStringList names;
    if (const auto entries = files.listDirectory(folder)) {
        for (const platform::DirEntry& entry : *entries) {
            if (IsPlainFile(entry) && IsIconFileName(entry.name))
                names.push_back(entry.name);
        }
    }
    SortNames(names);
    return names;
}

int CountCollected(FileOps& files, const files::Folder& folder)
{
    // Only what the program wrote there counts; a file of someone else's
    // under such a name is not an icon that waits for the next run.
    int count = 0;
    for (const QString& name : ListCollected(files, folder)) {
        const std::optional<IconFileBytes> bytes = files.comparableBytes(folder, name);
        if (!bytes || IsProgramIconFile(*bytes))
            ++count;
    }
    return count;
}

QStringList KilledWritersTemporaries(FileOps& files, const files::Folder& folder)
{
    QStringList meant;
    if (const auto entries = files.listDirectory(folder)) {
        for (const platform::DirEntry& entry : *entries) {
            if (IsPlainFile(entry) && IsProgramTemporary(entry.name))
                meant << entry.name.mid(1, entry.name.size() - 8);
        }
    }
    return meant;
}

void RemoveKilledWritersTemporaries(FileOps& files, const files::Folder& folder)
{
    // A run holds the folder for its whole life, so such a file belongs to no
    // live writer.
    const auto entries = files.listDirectory(folder);
    if (!entries)
        return;
    for (const platform::DirEntry& entry : *entries) {
        if (IsPlainFile(entry) && IsProgramTemporary(entry.name))
            files.deleteFile(folder, entry.name);
    }
}

void RemoveKilledMakersFolders(FileOps& files, const files::Folder& destination)
{
    const auto entries = files.listDirectory(destination);
    if (!entries)
        return;
    for (const platform::DirEntry& entry : *entries) {
        const QString& name = entry.name;
        if (entry.attributes != (platform::faDirectory | platform::faHidden) || name.size() != 12
            || !name.startsWith(QLatin1String(".Temp.")))
            continue;
        const files::Folder hidden = destination.child(Native(name));
        const auto inside = files.listDirectory(hidden);
        if (!inside || inside->size() > 1 || (inside->size() == 1 && !IsMark(inside->front())))
            continue;
        if (!inside->empty())
            files.deleteFile(hidden, QString::fromLatin1(kTempMarkName));
        files.removeDirectory(destination, name);
    }
}

void RemoveTempFolder(FileOps& files, const files::Folder& destination, const QString& name,
    const files::Folder& folder)
{
    const auto entries = files.listDirectory(folder);
    if (!entries || entries->size() != 1 || !IsMark(entries->front()))
        return;
    // Removed only while its name still leads to the folder held: another
    // folder put in its place meanwhile is not the program's to remove.
    if (!folder.isNamed(destination, Native(name)))
        return;
    if (files.deleteFile(folder, QString::fromLatin1(kTempMarkName))
        && !files.removeDirectory(destination, name))
        WriteMark(folder); // something arrived meanwhile: the folder stays the program's
}

} // namespace glyphor
