#include "platform/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace glyphor::platform {

std::optional<MappedFile> MappedFile::open(const std::string& path)
{
    // Look before opening: opening a fifo for reading would wait for a writer.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;

    // O_NONBLOCK guards against the path being swapped for a fifo in between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<std::uint64_t>(st.st_size) > kMaxSize) {
        ::close(fd);
        return std::nullopt;
    }

    MappedFile file;
    if (st.st_size > 0) {
        void* p = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (p == MAP_FAILED) {
            ::close(fd);
            return std::nullopt;
        }
        // Reads jump from the directory to the few images needed; read-ahead of
        // the rest of a large file would only cost time.
        ::madvise(p, static_cast<std::size_t>(st.st_size), MADV_RANDOM);
        file.m_data = static_cast<const std::uint8_t*>(p);
        file.m_size = static_cast<std::size_t>(st.st_size);
        file.m_mapped = true;
    }
    ::close(fd);
    return file;
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0))
    , m_mapped(std::exchange(other.m_mapped, false))
{
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept
{
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_mapped = std::exchange(other.m_mapped, false);
    }
    return *this;
}

MappedFile::~MappedFile() { release(); }

void MappedFile::release()
{
    if (m_mapped)
        ::munmap(const_cast<std::uint8_t*>(m_data), m_size);
    m_data = nullptr;
    m_size = 0;
    m_mapped = false;
}

} // namespace glyphor::platform
