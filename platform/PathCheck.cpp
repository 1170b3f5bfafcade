#include "platform/PathCheck.h"

#include "platform/FileSystem.h"
#include "platform/NativePath.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glyphor::platform {

std::optional<QString> FileReadProblem(const QString& path)
{
    // Non-blocking, so that naming a fifo cannot hang the check; what is not
    // a regular file is left to the readers, which take it for no executable.
    const int fd = ::open(ToNativePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return SystemErrorText(errno);
    struct stat st { };
    const int error = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    ::close(fd);
    if (error != 0)
        return SystemErrorText(error);
    return std::nullopt;
}

std::optional<QString> FolderProblem(const QString& path)
{
    struct stat st { };
    if (::stat(ToNativePath(path).c_str(), &st) != 0)
        return SystemErrorText(errno);
    if (!S_ISDIR(st.st_mode))
        return SystemErrorText(ENOTDIR);
    return std::nullopt;
}

} // namespace glyphor::platform
