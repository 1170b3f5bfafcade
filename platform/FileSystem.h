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

// How much a search finds out about each entry. Kind answers directory,
// hidden and link from the directory itself and calls stat only for links and
// for file systems that do not report the type; Full also gives read-only,
// which needs a stat of every entry.
enum class AttributeDetail { Kind, Full };

// The system's text for an errno value, as the I/O error carries it.
QString systemErrorText(int errorNumber);
// Raises EInOutError with the system's text for errorNumber.
[[noreturn]] void throwIoError(int errorNumber);
// The I/O error text of a file that cannot be opened or read, in the words the
// program has always used for them: "File not found", "File access denied",
// otherwise "I/O error %d" with the system's code.
std::string fileIoErrorText(int errorNumber);
// Raises EInOutError with fileIoErrorText(errorNumber).
[[noreturn]] void throwFileIoError(int errorNumber);

// The process's current directory, as the system reports it. Raises
// EInOutError when it cannot be had (the folder was removed, for one).
QString currentDirectory();
// Changes the process's current directory; raises EInOutError on failure.
void changeDirectory(const QString& path);
// The same without raising; true when the change was made.
bool tryChangeDirectory(const QString& path) noexcept;

// The attributes of one entry by path; nothing when it does not exist.
std::optional<unsigned> attributesOf(const QString& path);
// An existing entry that is not a folder.
bool isExistingFile(const QString& path);

// One pass over a folder: calls visit for every entry but "." and "..", in the
// order the system returns them. Raises EInOutError when the folder cannot be
// opened; entries that vanish during the pass are still reported by name.
void searchDirectory(const QString& folder, const std::function<void(const DirEntry&)>& visit,
    AttributeDetail detail = AttributeDetail::Full);
std::vector<DirEntry> listDirectory(const QString& folder,
    AttributeDetail detail = AttributeDetail::Full);

// The folder and the name joined by one "/" (none added after "/" itself).
QString joinPath(const QString& folder, const QString& name);
// The parts of a path around its last "/": "/a" and "b.exe" of "/a/b.exe",
// "/" and "b.exe" of "/b.exe", "." and "b.exe" of "b.exe".
QString folderOf(const QString& path);
QString fileNameOf(const QString& path);
// The path made absolute against the process's current directory, with "."
// components, ".." components (by their text: links are not followed) and
// doubled separators taken out. Raises EInOutError when the current
// directory cannot be had.
QString absolutePath(const QString& path);
// The path with every link and ".." resolved by the system; empty when it
// does not lead to an existing entry.
QString canonicalPath(const QString& path);

// Masks: patterns separated by ";", taken exactly as written. A pattern holds
// "*" (any run) and "?" (one character) and matches without regard to case;
// "*.*" matches every name, with or without a dot.
QStringList splitMask(const QString& mask);
bool hasWildcards(const QString& text);
bool matchesPattern(const QString& name, const QString& pattern);
// The same for a name and a pattern already case-folded (QString::toCaseFolded),
// so that a long listing folds each name and pattern once.
bool matchesFoldedPattern(QStringView foldedName, QStringView foldedPattern);

// A path resolved against the process's current directory: the folder it
// names (as the system reports it after entering it) and a last component
// left over when that is not a folder: a pattern or the name of a file.
struct ResolvedPath {
    QString folder;
    QString rest;
};
// Resolves "[name]" (brackets dropped), relative paths and ".." against the
// process's current directory, which is left as it was. Raises EInOutError
// when a folder on the way cannot be entered.
ResolvedPath resolvePath(const QString& path);

// Folders the lists have entered in this run, most recent first; the folder
// list uses them to go back to the last folder visited on a volume.
void noteVisitedFolder(const QString& folder);
QStringList visitedFolders();

} // namespace glyphor::platform
