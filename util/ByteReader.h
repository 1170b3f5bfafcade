#pragma once
// Bounds-checked little-endian reads from a byte span. Every access goes
// through one overflow-safe range check, so a size or offset taken from a
// file can never lead outside the span.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace glyphor {

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::size_t size() const { return m_bytes.size(); }
    std::span<const std::uint8_t> bytes() const { return m_bytes; }

    // True when [offset, offset + length) lies inside the span; cannot overflow.
    bool contains(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= m_bytes.size() && length <= m_bytes.size() - offset;
    }

    std::optional<std::uint8_t> u8(std::uint64_t offset) const
    {
        if (!contains(offset, 1))
            return std::nullopt;
        return m_bytes[offset];
    }
    std::optional<std::uint16_t> u16(std::uint64_t offset) const
    {
        if (!contains(offset, 2))
            return std::nullopt;
        return static_cast<std::uint16_t>(m_bytes[offset] | (m_bytes[offset + 1] << 8));
    }
    std::optional<std::uint32_t> u32(std::uint64_t offset) const
    {
        if (!contains(offset, 4))
            return std::nullopt;
        return static_cast<std::uint32_t>(m_bytes[offset]) |
               (static_cast<std::uint32_t>(m_bytes[offset + 1]) << 8) |
               (static_cast<std::uint32_t>(m_bytes[offset + 2]) << 16) |
               (static_cast<std::uint32_t>(m_bytes[offset + 3]) << 24);
    }
    std::optional<std::int32_t> i32(std::uint64_t offset) const
    {
        auto v = u32(offset);
        if (!v)
            return std::nullopt;
        return static_cast<std::int32_t>(*v);
    }

    // The sub-span [offset, offset + length), or nothing when it is not inside.
    std::optional<std::span<const std::uint8_t>> slice(std::uint64_t offset,
                                                       std::uint64_t length) const
    {
        if (!contains(offset, length))
            return std::nullopt;
        return m_bytes.subspan(offset, length);
    }

private:
    std::span<const std::uint8_t> m_bytes;
};

} // namespace glyphor
