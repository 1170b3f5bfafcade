#pragma once
// Icon images and icon files built byte by byte for the tests, so that a test
// states exactly what a reader is given: bitmap images of every depth, PNG
// images, the group directories of executables and whole icon files.

#include "iconfile/IconImage.h"
#include "kit/Bytes.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace glyphor::kit {

// The 16 colours of the icon file table, 0xRRGGBB, written out again so that
// the tests do not take them from the code under test.
inline constexpr std::uint32_t kPaletteForTests[16]
    = { 0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080, 0xC0C0C0,
          0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF };

// A bitmap icon image. value(x, y) (top row y = 0) is a table index for 1, 4
// and 8 bits per pixel, the raw pixel at 16 and 0xAARRGGBB at 24 and 32;
// masked(x, y) gives the AND bit.
struct DibRecipe {
    int width = 32;
    int height = 32;
    int bpp = 4;
    std::vector<std::uint32_t> table; // 0xRRGGBB; filled with greys when short
    std::function<std::uint32_t(int, int)> value = [](int, int) { return 0u; };
    std::function<bool(int, int)> masked = [](int, int) { return false; };
    bool withMask = true;
    std::uint32_t biSize = 40; // bytes before the table (padded with zeros)
    std::uint32_t clrUsed = 0; // written to biClrUsed
    int tableEntries = -1; // entries actually stored; -1: 2^bpp up to 8 bpp
    // Red, green and blue masks: written after the header with the bit-fields
    // compression when given.
    std::vector<std::uint32_t> bitFields;
};

Bytes MakeDib(const DibRecipe& recipe);

// A bitmap image of bitCount 1, 4, 8, 24 or 32 with the usual tables: black
// and white for 1 bit, the 16-colour table for 4, a grey ramp for 8. Up to 8
// bits colour gives a table index, else 0xAARRGGBB; transparent gives the mask.
Bytes MakeDib(int width, int height, int bitCount,
    const std::function<std::uint32_t(int, int)>& colour,
    const std::function<bool(int, int)>& transparent);

// The colour (0xAARRGGBB) that a table index of the MakeDib above stands for.
std::uint32_t PaletteColour(int bitCount, std::uint32_t index);

// An image whose pixels are a simple function of x, y and a seed.
Bytes PatternDib(int width, int height, int bitCount, int seed = 0);

// A PNG through libpng from raw rows in the given colour type and depth.
struct PngRecipe {
    int width = 1;
    int height = 1;
    int colourType = 6; // PNG_COLOR_TYPE_RGB_ALPHA
    int bitDepth = 8;
    Bytes rows; // height rows of packed samples, no filter byte
    std::vector<std::uint32_t> palette; // 0xRRGGBB
    Bytes transparency; // tRNS for palette images
    bool interlaced = false;
};

Bytes MakePng(const PngRecipe& recipe);

// A PNG of the icon through the program's own encoder.
Bytes MakePng(const IconImage& icon);

// An image of width x height pixels all of one colour, none masked.
IconImage FilledImage(int width, int height, std::uint32_t argb, bool hasAlpha);

// One entry of a group directory, and of an icon file made by MakeIcoFile.
struct GroupEntry {
    int width = 32; // 256 is written as 0
    int height = 32;
    int bitCount = 4;
    std::uint16_t id = 1;
    std::uint32_t bytes = 0;
};

// The group directory that an executable keeps for one icon.
Bytes MakeGroup(const std::vector<GroupEntry>& entries);

// An icon file of the images, its entries made from the group entries.
Bytes MakeIcoFile(const std::vector<GroupEntry>& entries, const std::vector<Bytes>& images);

// An icon file whose one image claims 7 bits per pixel, which no reader
// takes: the file counts one icon, and that icon cannot be captured.
Bytes IconFileOfAnUnreadableImage();

// An entry of an icon file as the program's own files write them: 32 x 32
// with the colour key in the colour count and the byte after it.
struct FileEntry {
    std::uint16_t colourKey = 0;
    Bytes image;
};

// Header, directory and the images one after another; type 2 is a cursor.
Bytes MakeIconFile(const std::vector<FileEntry>& entries, std::uint16_t type = 1);

} // namespace glyphor::kit
