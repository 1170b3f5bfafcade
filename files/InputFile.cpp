#include "files/InputFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace glyphor::files {

namespace {

// The first buffer of a whole-file read when the size says nothing (the
// files of /proc and /sys report 0).
constexpr std::size_t kFirstChunk = std::size_t { 16 } * 1024;

} // namespace

template <class ReadSome>
InputFile::Read InputFile::readLoop(std::span<std::uint8_t> out, ReadSome readSome)
{
    Read r;
    while (r.count < out.size()) {
        const ssize_t n = readSome(out.data() + r.count, out.size() - r.count, r.count);
        // A signal that arrives while the call waits for the disk is no error.
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            r.error = errno;
            break;
        }
        if (n == 0)
            break;
        r.count += static_cast<std::size_t>(n);
    }
    return r;
}

InputFile InputFile::open(const std::string& path)
{
    return openAt(AT_FDCWD, path);
}

InputFile InputFile::openAt(int folderFd, const std::string& name)
{
    InputFile file;
    // True, with the reason kept, when st is not a regular file.
    const auto refuse = [&file](const struct stat& st) {
        if (S_ISREG(st.st_mode))
            return false;
        file.m_notRegular = true;
        file.m_error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return true;
    };
    struct stat st { };
    if (::fstatat(folderFd, name.c_str(), &st, 0) != 0) {
        file.m_error = errno;
        return file;
    }
    if (refuse(st))
        return file;
    const int fd = ::openat(folderFd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        file.m_error = errno;
        return file;
    }
    if (::fstat(fd, &st) != 0) {
        file.m_error = errno;
        ::close(fd);
        return file;
    }
    if (refuse(st) || st.st_size < 0) {
        ::close(fd);
        return file;
    }
    file.m_fd = fd;
    file.m_size = static_cast<std::uint64_t>(st.st_size);
    return file;
}

InputFile::InputFile(InputFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_error(other.m_error)
    , m_notRegular(other.m_notRegular)
    , m_size(other.m_size)
{
}

InputFile& InputFile::operator=(InputFile&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_error = other.m_error;
        m_notRegular = other.m_notRegular;
        m_size = other.m_size;
    }
    return *this;
}

InputFile::~InputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

InputFile::Read InputFile::read(std::span<std::uint8_t> out)
{
    return readLoop(out,
        [this](std::uint8_t* into, std::size_t n, std::uint64_t) { return ::read(m_fd, into, n); });
}

InputFile::Read InputFile::readAt(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    return readLoop(out, [this, offset](std::uint8_t* into, std::size_t n, std::uint64_t done) {
        return ::pread(m_fd, into, n, static_cast<off_t>(offset + done));
    });
}

int InputFile::readToEnd(std::vector<std::uint8_t>& out, std::size_t limit)
{
    // One byte more than the size, so that the end of the file is met
    // within the first buffer and a file that grew is noticed.
    const std::size_t most = limit == SIZE_MAX ? limit : limit + 1;
    const std::uint64_t guess = m_size > 0 ? m_size + 1 : kFirstChunk;
    out.resize(static_cast<std::size_t>(std::min<std::uint64_t>(guess, most)));
    std::size_t have = 0;
    int error = 0;
    for (;;) {
        if (have == out.size()) {
            if (out.size() >= most)
                break;
            out.resize(out.size() > most / 2 ? most : out.size() * 2);
        }
        const Read r = read(std::span(out).subspan(have));
        have += r.count;
        error = r.error;
        if (error != 0 || have < out.size())
            break;
    }
    out.resize(have);
    return error;
}

} // namespace glyphor::files
