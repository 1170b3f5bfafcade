#pragma once
// Random access to the bytes of a file that holds icons. The readers of
// executables and icon files ask a source for the ranges they need (headers,
// directories, one image) instead of holding the whole file, so that a file on
// disk is read in pieces and a file that shrinks meanwhile gives a failed read,
// never a read of memory that is gone.

#include "util/DiskRecord.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace glyphor::files {

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
// size taken from the file never leads outside it. A record comes out whole
// or not at all: a range inside the window can still fail to be read (the
// file became shorter meanwhile), so a check of the range alone never
// promises the read that follows.
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

    std::optional<std::uint16_t> u16(std::uint64_t offset) const
    {
        const auto v = record<LeU16>(offset);
        return v ? std::optional<std::uint16_t>(*v) : std::nullopt;
    }

    // The record stored at offset; nothing when it is not inside the window
    // or cannot be read.
    template <DiskRecord R> std::optional<R> record(std::uint64_t offset) const
    {
        R out;
        if (!fill(offset, { reinterpret_cast<std::uint8_t*>(&out), sizeof(R) }))
            return std::nullopt;
        return out;
    }

    // count records stored one after another from offset, in one read;
    // nothing when they are not all inside the window or cannot be read.
    template <DiskRecord R>
    std::optional<std::vector<R>> records(std::uint64_t offset, std::uint64_t count) const
    {
        // Checked before the buffer is made, so that a count taken from the
        // file never allocates more than the window holds.
        if (count > m_size / sizeof(R) || !contains(offset, count * sizeof(R)))
            return std::nullopt;
        std::vector<R> out(static_cast<std::size_t>(count));
        if (!fill(offset, { reinterpret_cast<std::uint8_t*>(out.data()), out.size() * sizeof(R) }))
            return std::nullopt;
        return out;
    }

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

} // namespace glyphor::files
