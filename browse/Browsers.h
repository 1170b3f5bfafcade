#pragma once
// The main window's two browsers without their widgets: the source folder
// list and file list, where the scans take executables from, and the
// destination folder list and file list, where the icons go. Each file list
// follows its folder list, and each has the mask of what a harvest works on.
// The window draws these models, the engine works on them, and glyphor2-cli
// and the tests drive them without a window: all of them make the pair here,
// so that it is wired one way everywhere.

#include "browse/DirectoryListModel.h"
#include "browse/FileListModel.h"
#include "platform/FileSystem.h"

#include <QString>

#include <functional>

namespace glyphor {

using platform::kExecutableMask;
using platform::kIconMask;

class Browsers {
public:
    // Runs the work of one event of the lists, and deals with what it
    // raises: the window shows it in its error box, where nothing but the
    // toolkit would be left to catch it. Without a guard, errors reach the
    // caller that changed the folder.
    using Guard = std::function<void(const std::function<void()>& work)>;

    // Both pairs start at the process's current directory, file lists with
    // their masks.
    explicit Browsers(Guard guard = {});
    Browsers(const Browsers&) = delete;
    Browsers& operator=(const Browsers&) = delete;

    // DirectoryListBox1: where the tree walk starts.
    DirectoryListModel sourceDirs;
    // FileListBox1: the file a single-file scan takes; during the merge, the
    // icons collected in Temp.
    FileListModel sourceFiles;
    // DirectoryListBox2: the destination, which holds Temp.
    DirectoryListModel destDirs;
    // FileListBox2: the destination's icon files.
    FileListModel destFiles;

private:
    // files shows the folder of dirs from each change of dirs on.
    void follow(DirectoryListModel& dirs, FileListModel& files);

    Guard m_guard;
};

} // namespace glyphor
