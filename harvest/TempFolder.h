#pragma once
// The temporary folder a harvest collects its icons in ("Temp" in the
// destination), and how the program tells its own from a folder of that name
// that someone else made. The program marks every such folder it makes, and
// only ever merges, deletes or renames there what it wrote itself: icon files
// named "Icon" + four digits + ".ico" in the program's own format, and the
// temporary files of its writers. A folder of that name that it did not make
// is left as it is, and the harvest is refused.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <span>

namespace glyphor::files {
class Folder;
}

namespace glyphor {

class FileOps;

// The mark: a hidden file in the folder, which no file list shows.
inline constexpr char kTempMarkName[] = ".glyphor2-temp";

// Makes the folder name in destination with its mark, whole or not at all: a
// hidden folder beside it is made and marked, then given the name, so that a
// kill midway never leaves an unmarked folder under it. Returns 0, or the
// system's error number (EEXIST when something has the name already).
int MakeTempFolder(FileOps& files, const files::Folder& destination, const QString& name);

enum class TempFolderOwner {
    Nobody, // nothing of that name
    Program, // marked by the program
    Someone, // not the program's: anything else in it, or nothing at all
};
// Who made the folder. One without the mark that holds nothing but what the
// program writes (the icons a run of an earlier version left there) is the
// program's, and gets its mark now.
TempFolderOwner ClaimTempFolder(FileOps& files, const files::Folder& folder);

// "Icon" + four digits + ".ico", exactly: the names the program gives its
// icon files.
bool IsIconFileName(const QString& name);
// The bytes of an icon file the program wrote: 766 bytes beginning with the
// 126 bytes every such file begins with.
bool IsProgramIconFile(std::span<const std::uint8_t> bytes);

// The icons collected in the folder, in the file list's order: files under
// the program's names, not links. (Their content is checked as the merge
// reads them.)
QStringList ListCollected(FileOps& files, const files::Folder& folder);
int CountCollected(FileOps& files, const files::Folder& folder);

// The icon files that writers killed midway were writing in the folder: the
// names their hidden temporary files were meant to take.
QStringList KilledWritersTemporaries(FileOps& files, const files::Folder& folder);
// Removes what writers that were killed midway left in the folder: the hidden
// temporary files of the program's icon files.
void RemoveKilledWritersTemporaries(FileOps& files, const files::Folder& folder);
// Removes the hidden folders that runs killed while they made their Temp left
// in destination: ".Temp." and six characters, holding at most a mark. Only
// while the destination's harvest lock is held.
void RemoveKilledMakersFolders(FileOps& files, const files::Folder& destination);
// Removes folder, named name in destination, when nothing but its mark is
// left in it and the name still leads to it.
void RemoveTempFolder(FileOps& files, const files::Folder& destination, const QString& name,
    const files::Folder& folder);

} // namespace glyphor
