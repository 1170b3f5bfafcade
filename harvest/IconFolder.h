#pragma once
// The icon files of a folder as a harvest sees them, in the same order and by
// the same rules as the window's file list shows them ("*.ico", without regard
// to case; no folders, no hidden files): the icons collected in Temp, and the
// icons already in the destination.

#include <QString>
#include <QStringList>

namespace glyphor::files {
class Folder;
}

namespace glyphor {

class FileOps;

// The names, sorted as the file list sorts them; empty when the folder
// cannot be listed.
QStringList ListIconFiles(FileOps& files, const files::Folder& folder);

} // namespace glyphor
