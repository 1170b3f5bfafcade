#pragma once
// The records of icon files and of the icon images in them, as stored: the
// icon directory (an icon file's header and one entry per image), the group
// directory that executables keep in its place (the same header, entries
// that name a resource instead of an offset), and the image itself: a
// bitmap info header with its colour table, or a PNG. Every reader and the
// writer take sizes and offsets from these declarations alone.

#include "util/DiskRecord.h"

#include <cstdint>

namespace glyphor {

// The header of an icon file and of a group directory.
struct IconDirHeader {
    LeU16 reserved; // 0
    LeU16 type; // 1 for icons, 2 for cursors
    LeU16 count; // directory entries that follow
};
static_assert(sizeof(IconDirHeader) == 6);

// One image of an icon file.
struct IconDirEntry {
    std::uint8_t width {}; // 0 stands for 256
    std::uint8_t height {}; // 0 stands for 256
    std::uint8_t colourCount {};
    std::uint8_t reserved {};
    LeU16 planes;
    LeU16 bitCount;
    LeU32 bytesInRes;
    LeU32 imageOffset; // from the start of the file

    // The icon file reader takes the colour count and the byte after it as
    // one 16-bit key, which is how the program's own files write planes x
    // bits per pixel; the choice of image compares these keys.
    std::uint16_t colourKey() const
    {
        return static_cast<std::uint16_t>(colourCount | (reserved << 8));
    }
};
static_assert(sizeof(IconDirEntry) == 16);

// One image of a group directory in an executable.
struct GroupIconDirEntry {
    std::uint8_t width {}; // 0 stands for 256
    std::uint8_t height {}; // 0 stands for 256
    std::uint8_t colourCount {};
    std::uint8_t reserved {};
    LeU16 planes;
    LeU16 bitCount;
    LeU32 bytesInRes;
    LeU16 id; // the icon resource that holds the image
};
static_assert(sizeof(GroupIconDirEntry) == 14);

// The header of a bitmap image. The height of an icon image counts its
// colour rows and its mask rows together.
struct BitmapInfoHeader {
    LeU32 size; // of this header; later versions of it are longer
    LeI32 width;
    LeI32 height;
    LeU16 planes;
    LeU16 bitCount;
    LeU32 compression;
    LeU32 sizeImage;
    LeI32 xPelsPerMeter;
    LeI32 yPelsPerMeter;
    LeU32 clrUsed;
    LeU32 clrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

// compression: the pixels are plain, or (16 and 32 bits) their channels are
// given by the three masks of BitFieldMasks.
inline constexpr std::uint32_t kBitmapPlain = 0;
inline constexpr std::uint32_t kBitmapBitFields = 3;

// The channel masks of a bit-fields image, after a 40-byte header or inside
// a longer one at the same place.
struct BitFieldMasks {
    LeU32 red;
    LeU32 green;
    LeU32 blue;
};
static_assert(sizeof(BitFieldMasks) == 12);

// One entry of a colour table.
struct RgbQuad {
    std::uint8_t blue {};
    std::uint8_t green {};
    std::uint8_t red {};
    std::uint8_t reserved {};
};
static_assert(sizeof(RgbQuad) == 4);

// The start of a PNG image: its signature and the IHDR chunk, which comes
// first in every PNG.
struct PngHeader {
    std::uint8_t signature[8] {};
    BeU32 ihdrLength;
    std::uint8_t ihdrType[4] {};
    BeU32 width;
    BeU32 height;
    std::uint8_t bitDepth {};
    std::uint8_t colourType {};
    std::uint8_t compression {};
    std::uint8_t filter {};
    std::uint8_t interlace {};
};
static_assert(sizeof(PngHeader) == 29);

inline constexpr std::uint8_t kPngSignature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };

} // namespace glyphor
