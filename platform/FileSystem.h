#pragma once
// Folders, files and the process's current directory on a POSIX system, in the
// terms the rest of the program uses: attribute bits, a directory search that
// yields names with those bits, case-insensitive masks, and the I/O error with
// the system's own message text.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace glyphor::platform {

// Attribute bits of an entry. Only read-only, hidden, directory and the link
// bit are ever set here; system, volume label and archive have no POSIX
// counterpart. A symbolic link carries faSymLink besides what its target is,
// so that a walk that enters only plain folders never follows one.
enum FileAttribute : unsigned {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeId = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
    faSymLink = 0x400,
};

struct DirEntry {
    QString name;
    unsigned attributes = 0;
};

// Whether a file list shows the entry at all, whatever its mask: folders and
// hidden entries never (system and volume-label entries neither, which POSIX
// never reports).
inline bool IsListedFile(const DirEntry& entry)
{
    return !(entry.attributes & (faDirectory | faHidden | faSysFile | faVolumeId));
}

// How much a search finds out about each entry. Kind answers directory,
// hidden and link from the directory itself and calls stat only for links and
// for file systems that do not report the type; Full also gives read-only,
// which needs a stat of every entry.
enum class AttributeDetail { Kind, Full };

// The system's text for an errno value, as the I/O error carries it.
QString SystemErrorText(int errorNumber);
// Raises EInOutError with the system's text for errorNumber.
[[noreturn]] void ThrowIoError(int errorNumber);
// The I/O error text of a file that cannot be opened or read, in the words the
// program has always used for them: "File not found", "File access denied",
// otherwise "I/O error %d" with the system's code.
std::string FileIoErrorText(int errorNumber);
// Raises EInOutError with FileIoErrorText(errorNumber).
[[noreturn]] void ThrowFileIoError(int errorNumber);

// The process's current directory, as the system reports it. Raises
// EInOutError when it cannot be had (the folder was removed, for one).
QString CurrentDirectory();
// Changes the process's current directory; raises EInOutError on failure.
void ChangeDirectory(const QString& path);
// The same without raising; true when the change was made.
bool TryChangeDirectory(const QString& path) noexcept;

// Makes a folder: 0, or the system's error number (EEXIST when something of
// that name is there).
int MakeFolder(const QString& path);
// Removes an empty folder; false otherwise.
bool RemoveFolder(const QString& path);

// The attributes of one entry by path; nothing when it does not exist.
std::optional<unsigned> AttributesOf(const QString& path);
// An existing entry that is not a folder.
bool IsExistingFile(const QString& path);
// An existing folder, or a link to one.
bool IsExistingFolder(const QString& path);

// One pass over a folder: calls visit for every entry but "." and "..", in the
// order the system returns them. Raises EInOutError when the folder cannot be
// opened; entries that vanish during the pass are still reported by name.
void SearchDirectory(const QString& folder, const std::function<void(const DirEntry&)>& visit,
    AttributeDetail detail = AttributeDetail::Full);
std::vector<DirEntry> ListDirectory(
    const QString& folder, AttributeDetail detail = AttributeDetail::Full);
// The same for a folder held open (its descriptor), which is left as it was.
void SearchDirectoryAt(int folderFd, const std::function<void(const DirEntry&)>& visit,
    AttributeDetail detail = AttributeDetail::Full);

// The folder and the name joined by one "/" (none added after "/" itself).
QString JoinPath(const QString& folder, const QString& name);
// The parts of a path around its last "/": "/a" and "b.exe" of "/a/b.exe",
// "/" and "b.exe" of "/b.exe", "." and "b.exe" of "b.exe".
QString FolderOf(const QString& path);
QString FileNameOf(const QString& path);
// The path made absolute against the process's current directory, with "."
// components, ".." components (by their text: links are not followed) and
// doubled separators taken out. Raises EInOutError when the current
// directory cannot be had.
QString AbsolutePath(const QString& path);
// The path with every link and ".." resolved by the system; empty when it
// does not lead to an existing entry.
QString CanonicalPath(const QString& path);

// Masks: patterns separated by ";", taken exactly as written. A pattern holds
// "*" (any run) and "?" (one character) and matches without regard to case;
// "*.*" matches every name, with or without a dot.
QStringList SplitMask(const QString& mask);
bool HasWildcards(const QString& text);
bool MatchesPattern(const QString& name, const QString& pattern);
// The same for a name and a pattern already case-folded (QString::toCaseFolded),
// so that a long listing folds each name and pattern once.
bool MatchesFoldedPattern(QStringView foldedName, QStringView foldedPattern);

// The masks of the program's two kinds of file: the executables a scan looks
// at, and the icon files it writes, collects in Temp and compares with.
inline const QString kExecutableMask = QStringLiteral("*.exe;*.dll");
inline const QString kIconMask = QStringLiteral("*.ico");

// The folder at path as the system reports it once entered (links and ".."
// resolved), with the process's current directory left as it was. Unlike
// ResolvePath, the last component is always a folder, whatever it holds.
// Raises EInOutError when the folder cannot be entered.
QString EnteredFolder(const QString& path);

// A path resolved against the process's current directory: the folder it
// names (as the system reports it after entering it) and a last component
// left over when that is not a folder: a pattern or the name of a file.
struct ResolvedPath {
    QString folder;
    QString rest;
};
// Resolves "[name]" (brackets dropped), relative paths and ".." against the
// process's current directory, which is left as it was. A last component
// that names an existing folder is that folder, whatever characters it holds;
// otherwise one with "*" or "?" is a pattern. Raises EInOutError
// when a folder on the way cannot be entered.
ResolvedPath ResolvePath(const QString& path);

// Folders the lists have entered in this run, most recent first; the folder
// list uses them to go back to the last folder visited on a volume.
void NoteVisitedFolder(const QString& folder);
QStringList VisitedFolders();

} // namespace glyphor::platform
