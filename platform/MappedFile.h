#pragma once
// A file mapped read-only into memory. Only the pages that are touched are
// read from the disk, so looking at the headers and the resource directory of
// a large executable costs about what it costs for a small one.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace glyphor::platform {

class MappedFile {
public:
    // Largest file that is mapped; anything larger is not an executable that
    // this program harvests and is treated like a file that cannot be read.
    static constexpr std::uint64_t kMaxSize = std::uint64_t { 2 } << 30;

    // Nothing for a missing, unreadable, oversized or non-regular file (a fifo
    // or a device is never opened for reading, so nothing can block on it).
    static std::optional<MappedFile> open(const std::string& path);

    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    std::span<const std::uint8_t> bytes() const { return { m_data, m_size }; }
    std::size_t size() const { return m_size; }

private:
    MappedFile() = default;
    void release();

    const std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
    bool m_mapped = false;
};

} // namespace glyphor::platform
