#pragma once
// Bounds-checked little-endian reads from a byte span. Every access goes
// through one overflow-safe range check, so a size or offset taken from a
// file can never lead outside the span. A fixed-size record comes out whole
// or not at all, so that no reader checks a range first and reads its
// fields one by one afterwards.

#include "util/DiskRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

namespace glyphor {

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> bytes)
        : m_bytes(bytes)
    {
    }

    std::size_t size() const { return m_bytes.size(); }
    std::span<const std::uint8_t> bytes() const { return m_bytes; }

    // True when [offset, offset + length) lies inside the span; cannot overflow.
    bool contains(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= m_bytes.size() && length <= m_bytes.size() - offset;
    }

    std::optional<std::uint8_t> u8(std::uint64_t offset) const
    {
        return record<std::uint8_t>(offset);
    }
    std::optional<std::uint16_t> u16(std::uint64_t offset) const
    {
        const auto v = record<LeU16>(offset);
        return v ? std::optional<std::uint16_t>(*v) : std::nullopt;
    }

    // The record stored at offset, or nothing when it does not lie inside.
    template <DiskRecord R> std::optional<R> record(std::uint64_t offset) const
    {
        if (!contains(offset, sizeof(R)))
            return std::nullopt;
        R out;
        std::memcpy(&out, m_bytes.data() + offset, sizeof(R));
        return out;
    }

    // count records stored one after another from offset, or nothing when
    // they do not all lie inside.
    template <DiskRecord R>
    std::optional<std::vector<R>> records(std::uint64_t offset, std::uint64_t count) const
    {
        // The count is checked against the span first, so that the product
        // cannot overflow and a count taken from a file never allocates more
        // than the span holds.
        if (count > m_bytes.size() / sizeof(R) || !contains(offset, count * sizeof(R)))
            return std::nullopt;
        std::vector<R> out(static_cast<std::size_t>(count));
        if (count != 0)
            std::memcpy(out.data(), m_bytes.data() + offset, out.size() * sizeof(R));
        return out;
    }

    // The sub-span [offset, offset + length), or nothing when it is not inside.
    std::optional<std::span<const std::uint8_t>> slice(
        std::uint64_t offset, std::uint64_t length) const
    {
        if (!contains(offset, length))
            return std::nullopt;
        return m_bytes.subspan(offset, length);
    }

private:
    std::span<const std::uint8_t> m_bytes;
};

} // namespace glyphor
