#include "files/Folder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glyphor::files {

Folder Folder::open(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return Folder(fd, fd < 0 ? errno : 0, path);
}

Folder Folder::child(const std::string& name) const
{
    const int fd = m_fd < 0
        ? -1
        : ::openat(m_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return Folder(fd, fd < 0 ? (m_fd < 0 ? EBADF : errno) : 0, pathOf(name));
}

Folder Folder::duplicate() const
{
    const int fd = m_fd < 0 ? -1 : ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    return Folder(fd, fd < 0 ? errno : 0, m_path);
}

Folder::Folder(Folder&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_error(other.m_error)
    , m_path(std::move(other.m_path))
{
}

Folder& Folder::operator=(Folder&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_error = other.m_error;
        m_path = std::move(other.m_path);
    }
    return *this;
}

Folder::~Folder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string Folder::pathOf(const std::string& name) const
{
    if (m_path.empty() || m_path.back() == '/')
        return m_path + name;
    return m_path + '/' + name;
}

bool Folder::isNamed(const Folder& parent, const std::string& name) const
{
    struct stat held { };
    struct stat named { };
    return ::fstat(m_fd, &held) == 0
        && ::fstatat(parent.m_fd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0
        && held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

} // namespace glyphor::files
