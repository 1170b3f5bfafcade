#pragma once
// The records of cursors as executables store them. A cursor group has the
// header of an icon group (type 2) and entries of the same 14 bytes, which
// give the size in 16-bit words, the height counting the colour rows and the
// mask rows together. Each cursor image resource starts with its hot spot,
// the image follows. A cursor file keeps the hot spot in its directory entry,
// where an icon file has planes and bit count.

#include "util/DiskRecord.h"

#include <cstdint>

namespace glyphor::exe {

// The resource types of cursors in a PE file, and as an NE file gives them.
inline constexpr std::uint16_t kCursorResourceType = 1;
inline constexpr std::uint16_t kGroupCursorResourceType = 12;
inline constexpr std::uint16_t kNeCursorType = 0x8000 | kCursorResourceType;
inline constexpr std::uint16_t kNeGroupCursorType = 0x8000 | kGroupCursorResourceType;

// The type field of the header of an icon file and of a cursor file.
inline constexpr std::uint16_t kIconFileType = 1;
inline constexpr std::uint16_t kCursorFileType = 2;

// One image of a cursor group.
struct GroupCursorDirEntry {
    LeU16 width;
    LeU16 height; // twice the cursor's height
    LeU16 planes;
    LeU16 bitCount;
    LeU32 bytesInRes; // the hot spot included
    LeU16 id; // the cursor resource that holds the image
};
static_assert(sizeof(GroupCursorDirEntry) == 14);

// The start of a cursor image resource.
struct CursorHotSpot {
    LeU16 x;
    LeU16 y;
};
static_assert(sizeof(CursorHotSpot) == 4);

} // namespace glyphor::exe
