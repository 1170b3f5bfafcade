#pragma once
// The commands of the destination group that act on the destination folder
// itself: "&Create Dir" makes a folder inside it and moves there, "&Delete
// Dir" removes it when it is empty. The outcome is reported in the toolkit's
// message dialog; a folder the list cannot move to raises the list's error.

#include <QString>

class QWidget;

namespace glyphor {

class TDirectoryListBox;

// The longest name the Create Dir input box takes.
inline constexpr int kMaxNewFolderName = 255;

// The folder that holds folder; "/" for "/" itself.
QString ParentFolder(const QString& folder);

void CreateDir(TDirectoryListBox& destination, QWidget* parent);
void DeleteDir(TDirectoryListBox& destination, QWidget* parent);

} // namespace glyphor
