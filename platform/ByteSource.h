#pragma once
// Random access to the bytes of a file that holds icons. The readers of
// executables and icon files ask a source for the ranges they need (headers,
// directories, one image) instead of holding the whole file, so that a file on
// disk is read in pieces and a file that shrinks meanwhile gives a failed read,
// never a read of memory that is gone.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace glyphor::platform {

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // The number of bytes the source holds (for a file: its size when opened).
    virtual std::uint64_t size() const = 0;

    // Copies the bytes [offset, offset + out.size()) into out. False when that
    // range does not lie inside size(), or when its bytes cannot be had (the
    // file became shorter, the disk failed): then failure() says why.
    virtual bool read(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;

    // Why a read of a range inside size() failed, in words for the user; empty
    // while none has. A range outside size() is damage to the file, not a
    // failure of the source, and leaves this empty.
    virtual std::string failure() const { return {}; }
};

// Bytes already in memory; the caller keeps them alive as long as the source.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes)
        : m_bytes(bytes)
    {
    }
    std::uint64_t size() const override { return m_bytes.size(); }
    bool read(std::uint64_t offset, std::span<std::uint8_t> out) const override;

private:
    std::span<const std::uint8_t> m_bytes;
};

// Checked little-endian reads from a window of a source: every access goes
// through one overflow-safe range check against the window, so an offset or
// size taken from the file never leads outside it.
class SourceReader {
public:
    SourceReader() = default;
    explicit SourceReader(const ByteSource& source)
        : m_source(&source)
        , m_size(source.size())
    {
    }

    std::uint64_t size() const { return m_size; }
    // Where the window starts in the source.
    std::uint64_t base() const { return m_base; }

    // True when [offset, offset + length) lies inside the window; cannot overflow.
    bool contains(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= m_size && length <= m_size - offset;
    }

    std::optional<std::uint8_t> u8(std::uint64_t offset) const;
    std::optional<std::uint16_t> u16(std::uint64_t offset) const;
    std::optional<std::uint32_t> u32(std::uint64_t offset) const;

    // A copy of [offset, offset + length); nothing when the range is not
    // inside the window or cannot be read.
    std::optional<std::vector<std::uint8_t>> bytes(
        std::uint64_t offset, std::uint64_t length) const;

    // The range [offset, offset + length) as a window of its own, with
    // offsets counted from its start; nothing when it is not inside.
    std::optional<SourceReader> window(std::uint64_t offset, std::uint64_t length) const;

private:
    bool fill(std::uint64_t offset, std::span<std::uint8_t> out) const;

    const ByteSource* m_source = nullptr;
    std::uint64_t m_base = 0;
    std::uint64_t m_size = 0;
};

} // namespace glyphor::platform
