#pragma once
// An exclusive lock that several processes of the program take on one lock
// file, so that a read, change and write of a shared file by one of them is
// never mixed with another's. The system releases it when the process ends,
// however it ends, so a crash leaves no stale lock behind. The lock file is
// created when missing and stays (empty) for the next time; it is only ever
// a regular file of its own: a link, a fifo or a device in its place is
// refused, never opened for writing or waited on.

#include <chrono>
#include <string>

namespace glyphor::platform {

class FileLock {
public:
    // Takes the lock on path, waiting for another holder for at most
    // patience. ok() tells whether it is held.
    static FileLock acquire(const std::string& path, std::chrono::milliseconds patience);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    // Releases the lock.
    ~FileLock();

    bool ok() const { return m_fd >= 0; }
    // Why the lock is not held: the system's error number; EWOULDBLOCK when
    // another holder kept it beyond the patience, EINVAL for a lock file
    // that is not a regular file.
    int error() const { return m_error; }

private:
    FileLock() = default;

    int m_fd = -1;
    int m_error = 0;
};

} // namespace glyphor::platform
