#include "harvest/TempFolderLock.h"

#include "files/NativePath.h"
#include "harvest/FileOps.h"
#include "harvest/TempFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glyphor {

namespace {

// A run that ends removes the folder while it still holds it, and another
// may make it anew at once; a few tries settle which folder is held.
constexpr int kTries = 8;

} // namespace

TempFolderLock::~TempFolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

TempFolderLock::State TempFolderLock::acquire(FileOps& files, const QString& folder)
{
    const std::string path = files::ToNativePath(folder);
    for (int attempt = 0; attempt < kTries; ++attempt) {
        const int made = MakeTempFolder(files, folder);
        // A link or a file of that name is not the folder; the run finds out
        // and says so when it looks at what is there.
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            m_folderError = made != EEXIST ? made : 0;
            return State::Unavailable;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            // A file system without locks guards nothing, as before.
            return error == EWOULDBLOCK ? State::Busy : State::Unavailable;
        }
        // The folder opened may have been removed by the run that held it
        // until now: the lock counts only while the name still leads to it.
        struct stat held { };
        struct stat named { };
        if (::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0
            && held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            m_fd = fd;
            return State::Held;
        }
        ::close(fd);
    }
    return State::Unavailable;
}

} // namespace glyphor
