#pragma once
// Bytes as the tests build them: integers and whole records of the file
// formats appended, or written at a place with the bytes growing to hold
// them, so that a builder states what goes where and never counts offsets
// by hand.

#include "util/DiskRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace glyphor::kit {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::uint16_t v)
{
    AppendRecord(b, LeU16(v));
}
inline void Put32(Bytes& b, std::uint32_t v)
{
    AppendRecord(b, LeU32(v));
}

// Writes the record at offset at, growing b when it ends before the record does.
template <DiskRecord R> void Place(Bytes& b, std::size_t at, const R& record)
{
    if (b.size() < at + sizeof(R))
        b.resize(at + sizeof(R));
    std::memcpy(b.data() + at, &record, sizeof(R));
}

inline void Set16(Bytes& b, std::size_t at, std::uint16_t v)
{
    Place(b, at, LeU16(v));
}
inline void Set32(Bytes& b, std::size_t at, std::uint32_t v)
{
    Place(b, at, LeU32(v));
}

} // namespace glyphor::kit
