#pragma once
// One harvest per destination at a time. A run collects its icons in the
// destination's temporary folder, merges them and deletes them; two runs into
// one destination would merge and delete each other's icons. So a run holds an
// exclusive lock on that folder from its start to its end: a lock of the
// system (flock), which another window or glyphor2-cli sees, and which the
// system lets go when the process ends in any way, a kill included. The
// folder held is the one the run works in from then on.

#include "files/Folder.h"

#include <QString>

namespace glyphor {

class FileOps;

class TempFolderLock {
public:
    enum class State {
        Held, // this run holds the folder
        Busy, // another run holds it
        Unavailable, // there is no folder to hold: it cannot be made, or
                     // something else has its name; nothing can be
                     // collected there, so there is nothing to guard
    };

    // Makes the folder named name in destination, marked, when it is missing
    // (MakeTempFolder; a failure is not an error), opens it and takes the
    // lock without waiting.
    State acquire(FileOps& files, const files::Folder& destination, const QString& name);
    bool held() const { return m_held; }
    // The folder, open, when it could be opened (held or not).
    const files::Folder& folder() const { return m_folder; }
    // Why the folder could not be made, when it is not there: the system's
    // error number, else 0.
    int folderError() const { return m_folderError; }

private:
    files::Folder m_folder;
    bool m_held = false;
    int m_folderError = 0;
};

} // namespace glyphor
