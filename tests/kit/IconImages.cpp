#include "kit/IconImages.h"

#include "iconfile/IconFileFormat.h"
#include "iconfile/Palette16.h"
#include "iconfile/PngEncoder.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <stdexcept>

namespace glyphor::kit {

namespace {

// The directory entries with their sizes and offsets filled in, the images
// after them in the same order.
Bytes IconFileOf(
    std::uint16_t type, std::vector<IconDirEntry> entries, const std::vector<Bytes>& images)
{
    IconDirHeader header {};
    header.type = type;
    header.count = static_cast<std::uint16_t>(entries.size());
    Bytes b;
    AppendRecord(b, header);
    std::size_t offset = sizeof(IconDirHeader) + entries.size() * sizeof(IconDirEntry);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].bytesInRes = static_cast<std::uint32_t>(images[i].size());
        entries[i].imageOffset = static_cast<std::uint32_t>(offset);
        offset += images[i].size();
        AppendRecord(b, entries[i]);
    }
    for (const Bytes& image : images)
        b.insert(b.end(), image.begin(), image.end());
    return b;
}

void AppendPng(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

bool WritePng(png_structp png, png_infop info, const PngRecipe& s, Bytes& out,
    std::vector<png_color>& palette, std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, &out, AppendPng, nullptr);
    png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colourType,
        s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
        PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (!s.transparency.empty())
        png_set_tRNS(png, info, const_cast<png_bytep>(s.transparency.data()),
            static_cast<int>(s.transparency.size()), nullptr);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    return true;
}

} // namespace

Bytes MakeDib(const DibRecipe& s)
{
    BitmapInfoHeader header {};
    header.size = s.biSize;
    header.width = s.width;
    header.height = 2 * s.height;
    header.planes = 1;
    header.bitCount = static_cast<std::uint16_t>(s.bpp);
    header.compression = s.bitFields.empty() ? kBitmapPlain : kBitmapBitFields;
    header.clrUsed = s.clrUsed; // sizeImage left 0, as many writers leave it
    Bytes b;
    AppendRecord(b, header);
    b.resize(std::max<std::size_t>(b.size(), s.biSize), 0);
    for (std::uint32_t mask : s.bitFields)
        Put32(b, mask);

    const int entries = s.tableEntries >= 0 ? s.tableEntries : (s.bpp <= 8 ? 1 << s.bpp : 0);
    for (int i = 0; i < entries; ++i) {
        const std::uint32_t rgb = i < static_cast<int>(s.table.size())
            ? s.table[i]
            : static_cast<std::uint32_t>(i % 256) * 0x010101u;
        AppendRecord(b,
            RgbQuad { static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8),
                static_cast<std::uint8_t>(rgb >> 16), 0 });
    }

    // Rows bottom up, each padded to four bytes.
    const std::size_t colourRow = (static_cast<std::size_t>(s.width) * s.bpp + 31) / 32 * 4;
    for (int y = s.height - 1; y >= 0; --y) {
        Bytes row(colourRow, 0);
        for (int x = 0; x < s.width; ++x) {
            const std::uint32_t v = s.value(x, y);
            switch (s.bpp) {
            case 1:
                row[x / 8] |= static_cast<std::uint8_t>((v & 1) << (7 - x % 8));
                break;
            case 4:
                row[x / 2] |= static_cast<std::uint8_t>((v & 15) << (x % 2 ? 0 : 4));
                break;
            case 8:
                row[x] = static_cast<std::uint8_t>(v);
                break;
            case 16:
                row[2 * x] = static_cast<std::uint8_t>(v);
                row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                break;
            case 24:
            case 32:
                for (int c = 0; c < s.bpp / 8; ++c)
                    row[x * (s.bpp / 8) + c] = static_cast<std::uint8_t>(v >> (8 * c));
                break;
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    if (s.withMask) {
        const std::size_t maskRow = (static_cast<std::size_t>(s.width) + 31) / 32 * 4;
        for (int y = s.height - 1; y >= 0; --y) {
            Bytes row(maskRow, 0);
            for (int x = 0; x < s.width; ++x) {
                if (s.masked(x, y))
                    row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
            b.insert(b.end(), row.begin(), row.end());
        }
    }
    return b;
}

std::uint32_t PaletteColour(int bitCount, std::uint32_t index)
{
    switch (bitCount) {
    case 1:
        return index ? 0xFFFFFFFFu : 0xFF000000u;
    case 4:
        return 0xFF000000u | kPalette16.at(index);
    case 8:
        return 0xFF000000u | index * 0x010101u;
    default:
        throw std::invalid_argument("no palette at this depth");
    }
}

Bytes MakeDib(int width, int height, int bitCount,
    const std::function<std::uint32_t(int, int)>& colour,
    const std::function<bool(int, int)>& transparent)
{
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        throw std::invalid_argument("depth");
    DibRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.bpp = bitCount;
    if (bitCount <= 8) {
        for (std::uint32_t i = 0; i < (1u << bitCount); ++i)
            recipe.table.push_back(PaletteColour(bitCount, i) & 0xFFFFFF);
    }
    recipe.value = colour;
    recipe.masked = transparent;
    return MakeDib(recipe);
}

Bytes PatternDib(int width, int height, int bitCount, int seed)
{
    return MakeDib(
        width, height, bitCount,
        [&](int x, int y) -> std::uint32_t {
            const std::uint32_t v = static_cast<std::uint32_t>(x * 7 + y * 13 + seed * 31);
            if (bitCount <= 8)
                return v % (1u << bitCount);
            return 0xFF000000u | (v * 0x9E3779B1u & 0xFFFFFF);
        },
        [&](int x, int y) { return (x + y + seed) % 5 == 0; });
}

Bytes MakePng(const PngRecipe& s)
{
    const int channels = s.colourType == 0 ? 1
        : s.colourType == 2                ? 3
        : s.colourType == 3                ? 1
        : s.colourType == 4                ? 2
                                           : 4;
    const std::size_t rowBytes
        = (static_cast<std::size_t>(s.width) * channels * s.bitDepth + 7) / 8;
    if (s.rows.size() != rowBytes * s.height)
        throw std::logic_error("MakePng: rows do not match the size");
    std::vector<png_color> palette;
    for (auto rgb : s.palette)
        palette.push_back({ static_cast<png_byte>(rgb >> 16), static_cast<png_byte>(rgb >> 8),
            static_cast<png_byte>(rgb) });
    std::vector<png_bytep> rows;
    for (int y = 0; y < s.height; ++y)
        rows.push_back(const_cast<png_bytep>(s.rows.data() + rowBytes * y));
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    const bool ok = WritePng(png, info, s, out, palette, rows);
    png_destroy_write_struct(&png, &info);
    if (!ok)
        throw std::logic_error("MakePng: libpng refused the image");
    return out;
}

Bytes MakePng(const IconImage& icon)
{
    auto png = EncodePng(icon);
    if (!png)
        throw std::runtime_error(png.message());
    return *png;
}

Bytes MakeGroup(const std::vector<GroupEntry>& entries)
{
    IconDirHeader header {};
    header.type = 1;
    header.count = static_cast<std::uint16_t>(entries.size());
    Bytes b;
    AppendRecord(b, header);
    for (const GroupEntry& e : entries) {
        GroupIconDirEntry entry {};
        entry.width = static_cast<std::uint8_t>(e.width & 0xFF);
        entry.height = static_cast<std::uint8_t>(e.height & 0xFF);
        entry.colourCount = e.bitCount <= 4 ? static_cast<std::uint8_t>(1u << e.bitCount) : 0;
        entry.planes = 1;
        entry.bitCount = static_cast<std::uint16_t>(e.bitCount);
        entry.bytesInRes = e.bytes;
        entry.id = e.id;
        AppendRecord(b, entry);
    }
    return b;
}

Bytes MakeIcoFile(const std::vector<GroupEntry>& entries, const std::vector<Bytes>& images)
{
    std::vector<IconDirEntry> directory;
    for (const GroupEntry& e : entries) {
        IconDirEntry entry {};
        entry.width = static_cast<std::uint8_t>(e.width & 0xFF);
        entry.height = static_cast<std::uint8_t>(e.height & 0xFF);
        entry.planes = 1;
        entry.bitCount = static_cast<std::uint16_t>(e.bitCount);
        directory.push_back(entry);
    }
    return IconFileOf(1, directory, images);
}

Bytes IconFileOfAnUnreadableImage()
{
    BitmapInfoHeader header {};
    header.size = sizeof(BitmapInfoHeader);
    header.width = 32;
    header.height = 64;
    header.planes = 1;
    header.bitCount = 7;
    Bytes image(640);
    Place(image, 0, header);
    return MakeIcoFile({ { 32, 32, 7 } }, { image });
}

Bytes MakeIconFile(const std::vector<FileEntry>& entries, std::uint16_t type)
{
    std::vector<IconDirEntry> directory;
    std::vector<Bytes> images;
    for (const FileEntry& e : entries) {
        IconDirEntry entry {};
        entry.width = 32;
        entry.height = 32;
        entry.colourCount = static_cast<std::uint8_t>(e.colourKey);
        entry.reserved = static_cast<std::uint8_t>(e.colourKey >> 8);
        entry.planes = 1;
        entry.bitCount = 32;
        directory.push_back(entry);
        images.push_back(e.image);
    }
    return IconFileOf(type, directory, images);
}

IconImage FilledImage(int width, int height, std::uint32_t argb, bool hasAlpha)
{
    IconImage icon;
    icon.width = width;
    icon.height = height;
    icon.pixels.assign(static_cast<std::size_t>(width) * height, argb);
    icon.mask.assign(icon.pixels.size(), 0);
    icon.hasAlpha = hasAlpha;
    return icon;
}

} // namespace glyphor::kit
