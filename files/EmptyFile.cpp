#include "files/EmptyFile.h"

#include "files/WriteAll.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace glyphor::files {

namespace {

bool IsEmptyRegularFile(const struct stat& st)
{
    return S_ISREG(st.st_mode) && st.st_size == 0;
}

} // namespace

EmptyFile EmptyFile::open(const std::string& path)
{
    EmptyFile file;
    // Looked at first without following a link, so that a fifo or a device
    // is never opened (opening either can wait or act on it).
    struct stat named { };
    if (::lstat(path.c_str(), &named) != 0) {
        file.m_error = errno;
        return file;
    }
    if (!IsEmptyRegularFile(named)) {
        file.m_error = EEXIST;
        return file;
    }
    // Something put in the file's place meanwhile is refused by the open (a
    // link, ELOOP), by not waiting (a fifo) or by the checks on what was
    // opened: the same file, still regular, still empty.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        file.m_error = errno == ELOOP ? EEXIST : errno;
        return file;
    }
    struct stat opened { };
    if (::fstat(fd, &opened) != 0) {
        file.m_error = errno;
        ::close(fd);
        return file;
    }
    if (!IsEmptyRegularFile(opened) || opened.st_dev != named.st_dev
        || opened.st_ino != named.st_ino) {
        file.m_error = EEXIST;
        ::close(fd);
        return file;
    }
    file.m_fd = fd;
    return file;
}

EmptyFile::EmptyFile(EmptyFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_error(other.m_error)
{
}

EmptyFile& EmptyFile::operator=(EmptyFile&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_error = other.m_error;
    }
    return *this;
}

EmptyFile::~EmptyFile()
{
    close();
}

void EmptyFile::close()
{
    if (m_fd < 0)
        return;
    // Still open: not finished, so nothing half-written is left in it.
    static_cast<void>(::ftruncate(m_fd, 0));
    ::close(m_fd);
    m_fd = -1;
}

bool EmptyFile::write(const std::uint8_t* data, std::size_t size)
{
    return WriteAll(m_fd, data, size, m_error);
}

bool EmptyFile::finish()
{
    const int rc = ::close(m_fd);
    m_fd = -1;
    if (rc != 0) {
        m_error = errno;
        return false;
    }
    return true;
}

} // namespace glyphor::files
