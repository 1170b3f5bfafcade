#include "platform/FileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace glyphor::platform {

namespace {

// How often a held lock is tried again while waiting for it.
constexpr std::chrono::milliseconds kRetryStep { 10 };

} // namespace

FileLock FileLock::acquire(const std::string& path, std::chrono::milliseconds patience)
{
    FileLock lock;
    // Something else in the lock file's place is refused before it is
    // opened (opening a device can act on it), and the open neither follows
    // a link nor waits, for one put there meanwhile.
    struct stat st { };
    if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        lock.m_error = EINVAL;
        return lock;
    }
    const int fd = ::open(
        path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd < 0) {
        lock.m_error = errno;
        return lock;
    }
    const int statError = ::fstat(fd, &st) == 0 ? 0 : errno;
    if (statError != 0 || !S_ISREG(st.st_mode)) {
        lock.m_error = statError != 0 ? statError : EINVAL;
        ::close(fd);
        return lock;
    }
    // Tried without waiting and again at small steps, so that a holder that
    // never lets go costs a bounded wait rather than a hung program.
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            lock.m_error = error;
            ::close(fd);
            return lock;
        }
        std::this_thread::sleep_for(kRetryStep);
    }
    lock.m_fd = fd;
    return lock;
}

FileLock::FileLock(FileLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_error(other.m_error)
{
}

FileLock& FileLock::operator=(FileLock&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_error = other.m_error;
    }
    return *this;
}

FileLock::~FileLock()
{
    // Closing the only descriptor of the open file releases its lock.
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace glyphor::platform
