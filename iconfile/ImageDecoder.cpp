#include "iconfile/ImageDecoder.h"

#include "iconfile/IconFileFormat.h"
#include "util/ByteReader.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace glyphor {

namespace {

constexpr std::uint32_t kInfoHeaderSize = sizeof(BitmapInfoHeader);
constexpr std::uint32_t kMaskBytes = sizeof(BitFieldMasks);
// The largest colour table any icon uses: 256 entries for 8 bits per pixel.
constexpr std::size_t kMaxTableEntries = 256;

Failure Invalid(const std::string& why)
{
    return Failure { why };
}

// Bytes per row of a bottom-up bitmap, padded to four bytes. 64-bit so that no
// width a file claims can overflow it.
std::uint64_t RowBytes(std::uint64_t width, std::uint64_t bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

std::uint32_t Opaque(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return 0xFF000000u | (std::uint32_t { r } << 16) | (std::uint32_t { g } << 8) | b;
}

// Where the colour table starts and how many entries it holds depends on where
// the image comes from: an icon file's reader puts it at byte 40 with the full
// 2, 16 or 256 entries; the system's loader of resources honours biSize and
// biClrUsed.
struct TableLayout {
    std::uint64_t offset = 0;
    std::uint64_t entries = 0;
    std::uint64_t masksAt = kInfoHeaderSize; // where bit fields keep their masks
};

Result<TableLayout> ColourTableLayout(const BitmapInfoHeader& h, DibLayout layout)
{
    const std::uint64_t full = h.bitCount <= 8 ? (std::uint64_t { 1 } << h.bitCount) : 0;
    // Bit fields: three colour masks after a 40-byte header, before any table.
    // A longer header (the later versions of the bitmap header) holds them
    // itself, at the same place.
    const bool bitFields = h.compression == kBitmapBitFields;
    if (layout == DibLayout::IconFile)
        return TableLayout { kInfoHeaderSize + (bitFields ? kMaskBytes : 0), full,
            kInfoHeaderSize };
    if (h.size < kInfoHeaderSize)
        return Invalid("bitmap header is too small");
    // A biClrUsed beyond 256 cannot describe a table any icon uses; it is damage.
    if (h.clrUsed > kMaxTableEntries)
        return Invalid("colour table is larger than 256 entries");
    const std::uint64_t entries = h.clrUsed != 0 ? std::uint64_t { h.clrUsed } : full;
    if (bitFields && h.size < kInfoHeaderSize + kMaskBytes)
        return TableLayout { h.size + kMaskBytes, entries, h.size };
    return TableLayout { h.size, entries, kInfoHeaderSize };
}

// One colour channel of a 16-bit pixel: where its bits are and how many.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0; // the channel's largest value, mask >> shift

    // The channel's value of pixel p scaled to 0..255, rounded.
    std::uint8_t of(std::uint32_t p) const
    {
        const std::uint32_t v = (p & mask) >> shift;
        return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
    }
};

// A mask that gives a channel: some bits, all next to each other, inside the
// 16 bits of a pixel.
std::optional<Channel> ChannelOf(std::uint32_t mask)
{
    if (mask == 0 || mask > 0xFFFF)
        return std::nullopt;
    Channel c;
    c.mask = mask;
    while (!(mask & 1)) {
        mask >>= 1;
        ++c.shift;
    }
    if ((mask & (mask + 1)) != 0)
        return std::nullopt;
    c.max = mask;
    return c;
}

// The red, green and blue channels of a 16-bit image: 5-5-5 unless bit fields
// give masks (5-6-5 is the common form).
Result<std::array<Channel, 3>> SixteenBitChannels(
    const ByteReader& in, const BitmapInfoHeader& h, const TableLayout& table)
{
    std::uint32_t masks[3] = { 0x7C00, 0x03E0, 0x001F };
    if (h.compression == kBitmapBitFields) {
        const auto stored = in.record<BitFieldMasks>(table.masksAt);
        if (!stored)
            return Invalid("colour masks run past the end of the image");
        masks[0] = stored->red;
        masks[1] = stored->green;
        masks[2] = stored->blue;
    }
    std::array<Channel, 3> channels;
    for (int i = 0; i < 3; ++i) {
        const auto c = ChannelOf(masks[i]);
        if (!c)
            return Invalid("colour masks out of range");
        channels[std::size_t(i)] = *c;
    }
    return channels;
}

} // namespace

bool IsPng(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= sizeof(kPngSignature)
        && std::equal(std::begin(kPngSignature), std::end(kPngSignature), bytes.begin());
}

Result<IconImage> DecodeDib(std::span<const std::uint8_t> image, DibLayout layout)
{
    const ByteReader in(image);
    const auto header = in.record<BitmapInfoHeader>(0);
    if (!header)
        return Invalid("image is shorter than its header");
    const BitmapInfoHeader& h = *header;

    const int bpp = h.bitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return Invalid("unsupported depth of " + std::to_string(bpp) + " bits per pixel");
    // Bit fields are taken only where icons of other programs use them: to
    // say that a 16-bit image is 5-6-5.
    if (h.compression != kBitmapPlain && !(h.compression == kBitmapBitFields && bpp == 16))
        return Invalid("bitmap is compressed");
    // biHeight counts the colour rows and the mask rows; a top-down (negative)
    // height is not a form icons take.
    if (h.width <= 0 || h.height <= 1 || h.width > kMaxImageSide || h.height / 2 > kMaxImageSide)
        return Invalid("image size is out of range");
    const int width = h.width;
    const int height = h.height / 2;

    auto table = ColourTableLayout(h, layout);
    if (!table)
        return Failure { table.message() };
    const auto colourTable = in.records<RgbQuad>(table->offset, table->entries);
    if (!colourTable)
        return Invalid("colour table runs past the end of the image");
    // Index entries past the stored table give black, as the system draws them.
    std::array<std::uint32_t, kMaxTableEntries> palette {};
    palette.fill(Opaque(0, 0, 0));
    for (std::size_t i = 0; i < colourTable->size() && i < palette.size(); ++i) {
        const RgbQuad& q = (*colourTable)[i];
        palette[i] = Opaque(q.red, q.green, q.blue);
    }
    std::array<Channel, 3> channels {};
    if (bpp == 16) {
        auto found = SixteenBitChannels(in, h, *table);
        if (!found)
            return Failure { found.message() };
        channels = *found;
    }

    const std::uint64_t colourRow = RowBytes(width, bpp);
    const std::uint64_t maskRow = RowBytes(width, 1);
    const std::uint64_t bitsAt = table->offset + table->entries * sizeof(RgbQuad);
    const std::uint64_t maskAt = bitsAt + colourRow * height;
    const auto colourBits = in.slice(bitsAt, colourRow * height);
    if (!colourBits)
        return Invalid("colour bits run past the end of the image");
    // A 32-bit image can do without its AND mask: its alpha decides. Everywhere
    // else a missing mask is a truncated image.
    const auto maskBits = in.slice(maskAt, maskRow * height);
    if (!maskBits && bpp != 32)
        return Invalid("mask bits run past the end of the image");

    IconImage out;
    out.width = width;
    out.height = height;
    out.pixels.assign(static_cast<std::size_t>(width) * height, 0);
    out.mask.assign(out.pixels.size(), 0);

    bool anyAlpha = false;
    for (int row = 0; row < height; ++row) {
        // Rows are stored bottom-up.
        const int y = height - 1 - row;
        const std::uint8_t* src = colourBits->data() + colourRow * row;
        std::uint32_t* dst = out.pixels.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            switch (bpp) {
            case 1:
                dst[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4:
                dst[x] = palette[(x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4)];
                break;
            case 8:
                dst[x] = palette[src[x]];
                break;
            case 16: {
                const std::uint32_t p = src[std::size_t(x) * 2]
                    | (std::uint32_t { src[std::size_t(x) * 2 + 1] } << 8);
                dst[x] = Opaque(channels[0].of(p), channels[1].of(p), channels[2].of(p));
                break;
            }
            case 24: {
                const std::uint8_t* p = src + std::size_t { 3 } * x;
                dst[x] = Opaque(p[2], p[1], p[0]);
                break;
            }
            case 32: {
                const std::uint8_t* p = src + std::size_t { 4 } * x;
                dst[x] = (std::uint32_t { p[3] } << 24) | (std::uint32_t { p[2] } << 16)
                    | (std::uint32_t { p[1] } << 8) | p[0];
                anyAlpha = anyAlpha || p[3] != 0;
                break;
            }
            }
        }
        if (maskBits) {
            const std::uint8_t* m = maskBits->data() + maskRow * row;
            std::uint8_t* mdst = out.mask.data() + static_cast<std::size_t>(y) * width;
            for (int x = 0; x < width; ++x)
                mdst[x] = (m[x >> 3] >> (7 - (x & 7))) & 1;
        }
    }

    // A 32-bit image whose alpha is 0 everywhere was made without an alpha
    // channel; its AND mask alone decides, and its colours are opaque.
    out.hasAlpha = anyAlpha;
    if (bpp == 32 && !anyAlpha) {
        for (auto& p : out.pixels)
            p |= 0xFF000000u;
    }
    return out;
}

namespace {

// What the libpng callbacks share: the bytes still to read and the first
// error message, kept in a fixed buffer because the error path leaves through
// longjmp and must not own anything that needs destroying.
struct PngSource {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
    png_uint_32 height = 0; // 0 until the header has been read
    bool interlaced = false;
    bool complete = false; // every row has been decoded; nothing more is read
    char message[128] = {};
};

// True once libpng has handed out the last row of the last pass. From then on
// it only drains the rest of the compressed stream, which a hostile file can
// make gigabytes long from a few kilobytes, and checks the tail's checksums:
// nothing the picture needs.
bool AllRowsDecoded(png_structp png, const PngSource& src)
{
    if (src.height == 0)
        return false;
    if (src.interlaced)
        return png_get_current_pass_number(png) >= 7;
    return png_get_current_row_number(png) >= src.height;
}

void PngRead(png_structp png, png_bytep data, png_size_t length)
{
    auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
    if (AllRowsDecoded(png, *src)) {
        src->complete = true;
        png_error(png, "image complete");
    }
    if (length > src->bytes.size() - src->position)
        png_error(png, "image data ends early");
    std::memcpy(data, src->bytes.data() + src->position, length);
    src->position += length;
}

void PngError(png_structp png, png_const_charp message)
{
    auto* src = static_cast<PngSource*>(png_get_error_ptr(png));
    if (src->message[0] == '\0')
        std::snprintf(src->message, sizeof src->message, "%s", message ? message : "");
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp)
{
}

// The libpng calls, in a function of their own so that the setjmp frame holds
// no object with a destructor: everything it fills lives in the caller.
bool ReadPngInto(png_structp png, png_infop info, PngSource& source, IconImage& out,
    std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(png)))
        return source.complete;

    // Refuse absurd sizes before libpng allocates anything for them, and keep
    // every ancillary chunk to a modest size.
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_set_chunk_malloc_max(png, 8u << 20);
    png_set_chunk_cache_max(png, 128);
    // Skip every ancillary chunk that does not change the pixels (texts,
    // colour profiles, gamma, times...). libpng would otherwise inflate each
    // compressed text or profile up to the limit above and keep them all: a
    // file of one megabyte could take a gigabyte and seconds. tRNS is not
    // among them and still gives the transparency of palette and grey images.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);

    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide)
        png_error(png, "image size is out of range");

    // Whatever the colour type and depth, end with 8-bit RGBA.
    const int colourType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (bitDepth == 16)
        png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t { width } * 4)
        png_error(png, "unexpected row layout");
    source.interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
    source.height = height;

    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.pixels.assign(std::size_t { width } * height, 0);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = reinterpret_cast<png_bytep>(out.pixels.data() + std::size_t { y } * width);
    // Once the last row is out, the reader stops (see PngRead): the trailing
    // data and chunks carry nothing the icon needs, and a damaged end after
    // complete image data is not worth refusing the picture for.
    png_read_image(png, rows.data());
    return true;
}

} // namespace

Result<IconImage> DecodePng(std::span<const std::uint8_t> image)
{
    if (!IsPng(image))
        return Invalid("not a PNG image");

    PngSource source;
    source.bytes = image;
    IconImage out;
    std::vector<png_bytep> rows;

    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, PngError, PngWarning);
    if (!png)
        return Failure { "Out of system resources" };
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return Failure { "Out of system resources" };
    }
    png_set_read_fn(png, &source, PngRead);
    const bool ok = ReadPngInto(png, info, source, out, rows);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok)
        return Invalid(std::string("PNG image is damaged: ") + source.message);

    // The rows came out as bytes R, G, B, A; the program holds 0xAARRGGBB.
    out.mask.assign(out.pixels.size(), 0);
    for (std::size_t i = 0; i < out.pixels.size(); ++i) {
        std::uint8_t b[4];
        std::memcpy(b, &out.pixels[i], 4);
        out.pixels[i] = (std::uint32_t { b[3] } << 24) | (std::uint32_t { b[0] } << 16)
            | (std::uint32_t { b[1] } << 8) | b[2];
        out.mask[i] = b[3] < 128 ? 1 : 0;
    }
    out.hasAlpha = true;
    return out;
}

Result<IconImage> DecodeIconImage(std::span<const std::uint8_t> image, DibLayout layout)
{
    if (IsPng(image))
        return DecodePng(image);
    return DecodeDib(image, layout);
}

} // namespace glyphor
