#include "TestImages.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace glyphor::test {

void Put16(Bytes& b, std::uint16_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& b, std::uint32_t v)
{
    Put16(b, static_cast<std::uint16_t>(v));
    Put16(b, static_cast<std::uint16_t>(v >> 16));
}

void Set32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}

Bytes MakeDib(const DibRecipe& s)
{
    Bytes b;
    Put32(b, s.biSize);
    Put32(b, static_cast<std::uint32_t>(s.width));
    Put32(b, static_cast<std::uint32_t>(2 * s.height));
    Put16(b, 1);
    Put16(b, static_cast<std::uint16_t>(s.bpp));
    Put32(b, s.bitFields.empty() ? 0 : 3);
    Put32(b, 0); // biSizeImage left 0, as many writers leave it
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, s.clrUsed);
    Put32(b, 0);
    b.resize(std::max<std::size_t>(b.size(), s.biSize), 0);
    for (std::uint32_t mask : s.bitFields)
        Put32(b, mask);

    const int entries = s.tableEntries >= 0 ? s.tableEntries : (s.bpp <= 8 ? 1 << s.bpp : 0);
    for (int i = 0; i < entries; ++i) {
        const std::uint32_t rgb = i < static_cast<int>(s.table.size())
                                      ? s.table[i]
                                      : static_cast<std::uint32_t>(i % 256) * 0x010101u;
        b.push_back(static_cast<std::uint8_t>(rgb));
        b.push_back(static_cast<std::uint8_t>(rgb >> 8));
        b.push_back(static_cast<std::uint8_t>(rgb >> 16));
        b.push_back(0);
    }

    const std::size_t colourRow = (static_cast<std::size_t>(s.width) * s.bpp + 31) / 32 * 4;
    for (int y = s.height - 1; y >= 0; --y) {
        Bytes row(colourRow, 0);
        for (int x = 0; x < s.width; ++x) {
            const std::uint32_t v = s.value(x, y);
            switch (s.bpp) {
            case 1: row[x / 8] |= static_cast<std::uint8_t>((v & 1) << (7 - x % 8)); break;
            case 4: row[x / 2] |= static_cast<std::uint8_t>((v & 15) << (x % 2 ? 0 : 4)); break;
            case 8: row[x] = static_cast<std::uint8_t>(v); break;
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

Bytes MakeIconFile(const std::vector<FileEntry>& entries, std::uint16_t type)
{
    Bytes b;
    Put16(b, 0);
    Put16(b, type);
    Put16(b, static_cast<std::uint16_t>(entries.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(entries.size());
    for (const auto& e : entries) {
        b.push_back(32);
        b.push_back(32);
        Put16(b, e.colourKey);
        Put16(b, 1);
        Put16(b, 32);
        Put32(b, static_cast<std::uint32_t>(e.image.size()));
        Put32(b, offset);
        offset += static_cast<std::uint32_t>(e.image.size());
    }
    for (const auto& e : entries)
        b.insert(b.end(), e.image.begin(), e.image.end());
    return b;
}

namespace {

void Append(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

bool WritePng(png_structp png, png_infop info, const PngRecipe& s, Bytes& out,
              std::vector<png_color>& palette, std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, &out, Append, nullptr);
    png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colourType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
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

Bytes MakePng(const PngRecipe& s)
{
    const int channels = s.colourType == 0 ? 1 : s.colourType == 2 ? 3 : s.colourType == 3 ? 1
                       : s.colourType == 4 ? 2 : 4;
    const std::size_t rowBytes = (static_cast<std::size_t>(s.width) * channels * s.bitDepth + 7) / 8;
    if (s.rows.size() != rowBytes * s.height)
        throw std::logic_error("MakePng: rows do not match the size");
    std::vector<png_color> palette;
    for (auto rgb : s.palette)
        palette.push_back({static_cast<png_byte>(rgb >> 16), static_cast<png_byte>(rgb >> 8),
                           static_cast<png_byte>(rgb)});
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

TempDir::TempDir()
{
    std::string pattern = "/tmp/iconfile-test.XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::vector<std::string> TempDir::names() const
{
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(m_path))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

} // namespace glyphor::test
