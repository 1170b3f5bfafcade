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

namespace {

bool SameFolder(int a, int b)
{
    struct stat first { };
    struct stat second { };
    return a >= 0 && b >= 0 && ::fstat(a, &first) == 0 && ::fstat(b, &second) == 0
        && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace

bool Folder::isSameAs(const Folder& other) const
{
    return SameFolder(m_fd, other.m_fd);
}

bool Folder::isWithin(const Folder& other) const
{
    Folder at = duplicate();
    // A tree deeper than this is no tree a harvest walks; the bound keeps a
    // file system that loops from holding the check forever.
    for (int depth = 0; depth < 4096 && at.ok(); ++depth) {
        if (SameFolder(at.m_fd, other.m_fd))
            return true;
        const int up = ::openat(at.m_fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        Folder parent(up, up < 0 ? errno : 0, {});
        // The root is its own parent.
        if (!parent.ok() || SameFolder(parent.m_fd, at.m_fd))
            return false;
        at = std::move(parent);
    }
    return false;
}

} // namespace glyphor::files
