#pragma once
// The raw bytes of one archive as the archive library asks for them: blocks
// read on from a position that it may move (the directory of a zip or a 7z
// lies at the end, an ISO's files lie where its directory says). A file on
// disk is read with pread into a buffer of its own; bytes in memory (an
// archive inside another) are handed out where they lie.

#include "files/InputFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace glyphor::archive {

class ArchiveSource {
public:
    static constexpr std::size_t kBlockSize = std::size_t { 64 } * 1024;

    virtual ~ArchiveSource() = default;
    ArchiveSource(const ArchiveSource&) = delete;
    ArchiveSource& operator=(const ArchiveSource&) = delete;

    std::uint64_t size() const { return m_size; }
    std::uint64_t position() const { return m_position; }

    // The next block from the position, which moves past it; empty at the
    // end. The bytes stay valid until the next call. error holds the
    // system's error number when they could not be read.
    struct Block {
        std::span<const std::uint8_t> bytes;
        int error = 0;
    };
    Block next();

    // Moves the position to offset from the start, the position or the end
    // (SEEK_SET, SEEK_CUR, SEEK_END); nothing, and the position unchanged,
    // when that lies before the start or past the end.
    std::optional<std::uint64_t> seek(std::int64_t offset, int whence);

    // Moves the position on by count bytes, or to the end when that comes
    // first; returns how far it moved.
    std::uint64_t skip(std::uint64_t count);

protected:
    explicit ArchiveSource(std::uint64_t size)
        : m_size(size)
    {
    }
    // The bytes from offset, at most length of them (offset < size()).
    virtual Block blockAt(std::uint64_t offset, std::size_t length) = 0;

private:
    std::uint64_t m_size = 0;
    std::uint64_t m_position = 0;
};

// A file opened with InputFile: its size when it was opened bounds every
// read, and a file that another program makes shorter meanwhile ends early,
// which the library reports as an archive cut short.
class FileArchiveSource final : public ArchiveSource {
public:
    explicit FileArchiveSource(files::InputFile file);

private:
    Block blockAt(std::uint64_t offset, std::size_t length) override;

    files::InputFile m_file;
    std::vector<std::uint8_t> m_buffer;
};

// Bytes in memory, which the caller keeps alive as long as the source.
class MemoryArchiveSource final : public ArchiveSource {
public:
    explicit MemoryArchiveSource(std::span<const std::uint8_t> bytes)
        : ArchiveSource(bytes.size())
        , m_bytes(bytes)
    {
    }

private:
    Block blockAt(std::uint64_t offset, std::size_t length) override;

    std::span<const std::uint8_t> m_bytes;
};

} // namespace glyphor::archive
