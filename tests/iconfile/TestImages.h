#pragma once
// Hand-built icon images and icon files for the tests: every byte is written
// here, so a test states exactly what the reader is given.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace glyphor::test {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::uint16_t v);
void Put32(Bytes& b, std::uint32_t v);
void Set32(Bytes& b, std::size_t at, std::uint32_t v);

// A BMP-style icon image. value(x, y) (top row y = 0) is a table index for 1,
// 4 and 8 bits per pixel and 0xAARRGGBB for 24 and 32; masked(x, y) gives the
// AND bit.
struct DibRecipe {
    int width = 32;
    int height = 32;
    int bpp = 4;
    std::vector<std::uint32_t> table; // 0xRRGGBB; filled with greys when short
    std::function<std::uint32_t(int, int)> value = [](int, int) { return 0u; };
    std::function<bool(int, int)> masked = [](int, int) { return false; };
    bool withMask = true;
    std::uint32_t biSize = 40;   // bytes before the table (padded with zeros)
    std::uint32_t clrUsed = 0;   // written to biClrUsed
    int tableEntries = -1;       // entries actually stored; -1: 2^bpp up to 8 bpp
    // Red, green and blue masks: written after the header with biCompression
    // BI_BITFIELDS (3) when given. value(x, y) is the raw pixel at 16 bpp.
    std::vector<std::uint32_t> bitFields;
};

Bytes MakeDib(const DibRecipe& recipe);

struct FileEntry {
    std::uint16_t colourKey = 0;
    Bytes image;
};

// Header, directory and the images one after another.
Bytes MakeIconFile(const std::vector<FileEntry>& entries, std::uint16_t type = 1);

// A PNG through libpng from raw rows in the given colour type and depth.
struct PngRecipe {
    int width = 1;
    int height = 1;
    int colourType = 6; // PNG_COLOR_TYPE_RGB_ALPHA
    int bitDepth = 8;
    Bytes rows;         // height rows of packed samples, no filter byte
    std::vector<std::uint32_t> palette; // 0xRRGGBB
    Bytes transparency;                 // tRNS for palette images
    bool interlaced = false;
};

Bytes MakePng(const PngRecipe& recipe);

// A scratch folder removed with everything in it at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    std::vector<std::string> names() const;

private:
    std::string m_path;
};

void WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);

} // namespace glyphor::test

namespace glyphor::test {
// The 16 colours of the icon file table, 0xRRGGBB, written out again so that
// the tests do not take them from the code under test.
inline constexpr std::uint32_t kPaletteForTests[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
    0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};
} // namespace glyphor::test
