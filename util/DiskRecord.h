#pragma once
// The building blocks of the fixed-size records that files store: integers
// kept as the bytes of their stored order, so that a record is declared once,
// field by field, with no padding and no alignment of its own, and is copied
// from or to a file's bytes as a whole on any machine.

#include <bit>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>
#include <vector>

namespace glyphor {

// An unsigned or signed integer as the bytes of a file hold it. Reads and
// assigns like the integer itself.
template <std::integral T, std::endian Order> class StoredInt {
public:
    constexpr StoredInt() = default;
    constexpr StoredInt(T value) { set(value); }

    constexpr operator T() const { return get(); }
    constexpr StoredInt& operator=(T value)
    {
        set(value);
        return *this;
    }

private:
    using U = std::make_unsigned_t<T>;

    constexpr T get() const
    {
        U v = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            v = static_cast<U>(v | static_cast<U>(U { m_bytes[i] } << (8 * place(i))));
        return static_cast<T>(v);
    }
    constexpr void set(T value)
    {
        const U v = static_cast<U>(value);
        for (std::size_t i = 0; i < sizeof(T); ++i)
            m_bytes[i] = static_cast<std::uint8_t>(v >> (8 * place(i)));
    }
    // Which byte of the value, counted from the least significant, the i-th
    // stored byte holds.
    static constexpr std::size_t place(std::size_t i)
    {
        return Order == std::endian::little ? i : sizeof(T) - 1 - i;
    }

    std::uint8_t m_bytes[sizeof(T)] = {};
};

using LeU16 = StoredInt<std::uint16_t, std::endian::little>;
using LeU32 = StoredInt<std::uint32_t, std::endian::little>;
using LeI32 = StoredInt<std::int32_t, std::endian::little>;
using LeU64 = StoredInt<std::uint64_t, std::endian::little>;
using BeU32 = StoredInt<std::uint32_t, std::endian::big>;

// A record that can be copied from a file's bytes as it stands: built of
// bytes and stored integers only, so its size is the sum of its fields.
template <class R>
concept DiskRecord
    = std::is_trivially_copyable_v<R> && std::is_standard_layout_v<R> && alignof(R) == 1;

// Adds the record's bytes to the end of out.
template <DiskRecord R> void AppendRecord(std::vector<std::uint8_t>& out, const R& record)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
    out.insert(out.end(), bytes, bytes + sizeof(R));
}

} // namespace glyphor
