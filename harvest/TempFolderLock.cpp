#include "harvest/TempFolderLock.h"

#include "files/NativePath.h"
#include "harvest/FileOps.h"
#include "harvest/TempFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>

namespace glyphor {

namespace {

// A run that ends removes the folder while it still holds it, and another
// may make it anew at once; a few tries settle which folder is held.
constexpr int kTries = 8;

} // namespace

TempFolderLock::State TempFolderLock::acquire(
    FileOps& files, const files::Folder& destination, const QString& name)
{
    const std::string native = files::ToNativePath(name);
    for (int attempt = 0; attempt < kTries; ++attempt) {
        const int made = MakeTempFolder(files, destination, name);
        // A link or a file of that name is not the folder; the run finds out
        // and says so when it looks at what is there.
        files::Folder folder = destination.child(native);
        if (!folder.ok()) {
            m_folderError = made != EEXIST ? made : 0;
            return State::Unavailable;
        }
        if (::flock(folder.descriptor(), LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            m_folder = std::move(folder);
            // A file system without locks guards nothing, as before.
            return error == EWOULDBLOCK ? State::Busy : State::Unavailable;
        }
        // The folder opened may have been removed by the run that held it
        // until now: the lock counts only while the name still leads to it.
        if (folder.isNamed(destination, native)) {
            m_folder = std::move(folder);
            m_held = true;
            return State::Held;
        }
    }
    return State::Unavailable;
}

} // namespace glyphor
