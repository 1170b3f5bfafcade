#include "platform/FileSystem.h"

#include "files/NativePath.h"
#include "util/Error.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace glyphor::platform {

namespace {

// Every path reaches the system through this, byte-exact.
std::string Native(const QString& path)
{
    return files::ToNativePath(path);
}

unsigned AttributesFromStat(const struct stat& st)
{
    unsigned attributes = 0;
    if (S_ISDIR(st.st_mode))
        attributes |= faDirectory;
    // A folder never reads as read-only: on the platform the program comes
    // from that bit marks a customised folder, and here it would keep the tree
    // walk out of every folder of a CD or ISO image, where all are r-x.
    else if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        attributes |= faReadOnly;
    return attributes;
}

// The attributes of a directory entry, looked up relative to the open folder.
unsigned EntryAttributes(int dirFd, const char* name, unsigned char type, AttributeDetail detail);

void SearchOpenDirectory(
    DIR* dir, const std::function<void(const DirEntry&)>& visit, AttributeDetail detail)
{
    const int fd = dirfd(dir);
    DirEntry entry;
    for (;;) {
        errno = 0;
        const dirent* d = readdir(dir);
        if (!d) {
            if (errno != 0)
                ThrowIoError(errno);
            break;
        }
        if (d->d_name[0] == '.'
            && (d->d_name[1] == '\0' || (d->d_name[1] == '.' && d->d_name[2] == '\0')))
            continue;
        entry.name = files::FromNativePath(d->d_name);
        entry.attributes = EntryAttributes(fd, d->d_name, d->d_type, detail);
        visit(entry);
    }
}

unsigned EntryAttributes(int dirFd, const char* name, unsigned char type, AttributeDetail detail)
{
    unsigned attributes = name[0] == '.' ? unsigned(faHidden) : 0u;
    const bool needStat = detail == AttributeDetail::Full || type == DT_LNK || type == DT_UNKNOWN;
    if (!needStat)
        return attributes | (type == DT_DIR ? unsigned(faDirectory) : 0u);

    struct stat st { };
    bool isLink = type == DT_LNK;
    if (type == DT_UNKNOWN) {
        if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return attributes; // vanished meanwhile: reported as a plain file
        isLink = S_ISLNK(st.st_mode);
    }
    if (isLink)
        attributes |= faSymLink;
    // An entry already looked at that is no link answers for itself; a link's
    // target decides folder and read-only, and a dangling link has neither.
    const bool haveOwn = !isLink && type == DT_UNKNOWN;
    if (haveOwn || fstatat(dirFd, name, &st, 0) == 0) {
        const unsigned fromStat = AttributesFromStat(st);
        attributes |= detail == AttributeDetail::Full ? fromStat : (fromStat & faDirectory);
    }
    return attributes;
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// Puts the process back into the folder it was in when made.
class CurrentDirectoryKeeper {
public:
    CurrentDirectoryKeeper()
        : m_fd(open(".", O_PATH | O_DIRECTORY | O_CLOEXEC))
    {
    }
    ~CurrentDirectoryKeeper()
    {
        if (m_fd >= 0) {
            [[maybe_unused]] const int rc = fchdir(m_fd);
            close(m_fd);
        }
    }
    CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
    CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

private:
    int m_fd;
};

QStringList& Visited()
{
    static QStringList folders;
    return folders;
}

} // namespace

QString SystemErrorText(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

void ThrowIoError(int errorNumber)
{
    throw EInOutError(SystemErrorText(errorNumber).toStdString());
}

std::string FileIoErrorText(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
    case ENOTDIR:
        return "File not found";
    case EACCES:
    case EPERM:
    case EROFS:
        return "File access denied";
    default:
        return "I/O error " + std::to_string(errorNumber);
    }
}

void ThrowFileIoError(int errorNumber)
{
    throw EInOutError(FileIoErrorText(errorNumber));
}

QString CurrentDirectory()
{
    std::vector<char> buffer(4096);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()))
            return files::FromNativePath(buffer.data());
        if (errno != ERANGE || buffer.size() > (1u << 20))
            ThrowIoError(errno);
        buffer.resize(buffer.size() * 2);
    }
}

void ChangeDirectory(const QString& path)
{
    if (path.isEmpty())
        ThrowIoError(ENOENT);
    if (chdir(Native(path).c_str()) != 0)
        ThrowIoError(errno);
}

bool TryChangeDirectory(const QString& path) noexcept
{
    return !path.isEmpty() && chdir(Native(path).c_str()) == 0;
}

std::optional<unsigned> AttributesOf(const QString& path)
{
    const std::string name = Native(path);
    struct stat st { };
    if (lstat(name.c_str(), &st) != 0)
        return std::nullopt;
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    unsigned attributes
        = path.mid(slash + 1).startsWith(QLatin1Char('.')) ? unsigned(faHidden) : 0u;
    if (S_ISLNK(st.st_mode)) {
        attributes |= faSymLink;
        if (stat(name.c_str(), &st) != 0)
            return attributes;
    }
    return attributes | AttributesFromStat(st);
}

int MakeFolder(const QString& path)
{
    return ::mkdir(Native(path).c_str(), 0777) == 0 ? 0 : errno;
}

bool RemoveFolder(const QString& path)
{
    return ::rmdir(Native(path).c_str()) == 0;
}

bool IsExistingFolder(const QString& path)
{
    struct stat st { };
    return !path.isEmpty() && stat(Native(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsExistingFile(const QString& path)
{
    struct stat st { };
    return !path.isEmpty() && stat(Native(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

void SearchDirectory(const QString& folder, const std::function<void(const DirEntry&)>& visit,
    AttributeDetail detail)
{
    std::unique_ptr<DIR, DirCloser> dir(opendir(Native(folder).c_str()));
    if (!dir)
        ThrowIoError(errno);
    SearchOpenDirectory(dir.get(), visit, detail);
}

void SearchDirectoryAt(
    int folderFd, const std::function<void(const DirEntry&)>& visit, AttributeDetail detail)
{
    // A handle of its own, read from the start, so that the caller's stays
    // as it was.
    const int own = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (own < 0)
        ThrowIoError(errno);
    std::unique_ptr<DIR, DirCloser> dir(fdopendir(own));
    if (!dir) {
        const int error = errno;
        ::close(own);
        ThrowIoError(error);
    }
    SearchOpenDirectory(dir.get(), visit, detail);
}

std::vector<DirEntry> ListDirectory(const QString& folder, AttributeDetail detail)
{
    std::vector<DirEntry> entries;
    SearchDirectory(
        folder, [&](const DirEntry& e) { entries.push_back(e); }, detail);
    return entries;
}

QString JoinPath(const QString& folder, const QString& name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString FolderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString FileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString AbsolutePath(const QString& path)
{
    const QString full
        = path.startsWith(QLatin1Char('/')) ? path : JoinPath(CurrentDirectory(), path);
    QStringList kept;
    for (const QString& part : full.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!kept.isEmpty())
                kept.removeLast();
            continue;
        }
        kept.push_back(part);
    }
    return QLatin1Char('/') + kept.join(QLatin1Char('/'));
}

QString CanonicalPath(const QString& path)
{
    if (path.isEmpty())
        return {};
    std::unique_ptr<char, decltype(&std::free)> resolved(
        realpath(Native(path).c_str(), nullptr), &std::free);
    return resolved ? files::FromNativePath(resolved.get()) : QString();
}

QStringList SplitMask(const QString& mask)
{
    return mask.split(QLatin1Char(';'));
}

bool HasWildcards(const QString& text)
{
    return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'));
}

namespace {

// "*" and "?" over whole characters, with backtracking to the last "*" only,
// which keeps the match linear for the patterns the program uses.
bool GlobMatch(QStringView name, QStringView pattern)
{
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool MatchesFoldedPattern(QStringView foldedName, QStringView foldedPattern)
{
    if (GlobMatch(foldedName, foldedPattern))
        return true;
    // A pattern that ends in ".*" also takes names without any extension, so
    // that "*.*" lists every file, as users of the mask expect.
    if (foldedPattern.endsWith(u".*") && !foldedName.contains(u'.'))
        return GlobMatch(foldedName, foldedPattern.chopped(2));
    return false;
}

bool MatchesPattern(const QString& name, const QString& pattern)
{
    return MatchesFoldedPattern(name.toCaseFolded(), pattern.toCaseFolded());
}

QString EnteredFolder(const QString& path)
{
    const CurrentDirectoryKeeper keeper;
    ChangeDirectory(path);
    return CurrentDirectory();
}

ResolvedPath ResolvePath(const QString& path)
{
    QString p = path;
    if (p.size() >= 2 && p.startsWith(QLatin1Char('[')) && p.endsWith(QLatin1Char(']')))
        p = p.mid(1, p.size() - 2);

    const CurrentDirectoryKeeper keeper;
    ResolvedPath result;
    const int slash = p.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0) {
        result.rest = p.mid(slash + 1);
        const QString folder = slash == 0 ? QStringLiteral("/") : p.left(slash);
        ChangeDirectory(folder);
    } else {
        result.rest = p;
    }
    // An existing folder's name is a folder, whatever it holds: "*" and "?"
    // are ordinary characters in a name here, and a folder named "ic*ns" must
    // never be taken for a mask over its parent.
    if (!result.rest.isEmpty()
        && (HasWildcards(result.rest) ? IsExistingFolder(result.rest)
                                      : !IsExistingFile(result.rest))) {
        ChangeDirectory(result.rest);
        result.rest.clear();
    }
    result.folder = CurrentDirectory();
    return result;
}

void NoteVisitedFolder(const QString& folder)
{
    QStringList& folders = Visited();
    folders.removeAll(folder);
    folders.prepend(folder);
    // Only the newest folder of each volume is ever asked for; a cap keeps a
    // long session from growing the list without end.
    constexpr int kKept = 256;
    while (folders.size() > kKept)
        folders.removeLast();
}

QStringList VisitedFolders()
{
    return Visited();
}

} // namespace glyphor::platform
