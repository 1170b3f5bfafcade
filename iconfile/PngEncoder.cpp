#include "iconfile/PngEncoder.h"

#include <png.h>

#include <csetjmp>

namespace glyphor {

namespace {

void PngWrite(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp)
{
}

void PngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp)
{
}

// The libpng calls, in a frame that owns nothing with a destructor, so that
// its error path (longjmp) skips no clean-up.
bool WritePngRows(png_structp png, png_infop info, const IconImage& icon,
    std::vector<std::uint8_t>& rgba, std::vector<std::uint8_t>& out)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(icon.width),
        static_cast<png_uint_32>(icon.height), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
        PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < icon.height; ++y)
        png_write_row(png, rgba.data() + static_cast<std::size_t>(y) * icon.width * 4);
    png_write_end(png, info);
    return true;
}

} // namespace

Result<std::vector<std::uint8_t>> EncodePng(const IconImage& icon)
{
    if (!icon.wellFormed())
        return Failure { kImageNotValidText };
    const std::size_t count = icon.pixels.size();

    std::vector<std::uint8_t> rgba(count * 4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = icon.pixels[i];
        rgba[4 * i] = static_cast<std::uint8_t>(p >> 16);
        rgba[4 * i + 1] = static_cast<std::uint8_t>(p >> 8);
        rgba[4 * i + 2] = static_cast<std::uint8_t>(p);
        rgba[4 * i + 3] = icon.mask[i] ? 0
            : icon.hasAlpha            ? static_cast<std::uint8_t>(p >> 24)
                                       : 255;
    }

    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!png)
        return Failure { "Out of system resources" };
    png_infop info = png_create_info_struct(png);
    const bool ok = info && WritePngRows(png, info, icon, rgba, out);
    png_destroy_write_struct(&png, &info);
    if (!ok)
        return Failure { "Cannot encode the icon as a PNG image" };
    return out;
}

} // namespace glyphor
