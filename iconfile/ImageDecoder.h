#pragma once
// Decoding of one icon image: a BMP-style image (BITMAPINFOHEADER, colour
// table, XOR bits, AND mask) or a PNG-compressed one. Used by the icon file
// reader and by the extraction of icons from executables. A failure says
// what is wrong with the image ("bitmap is compressed"); each caller words
// the failure of the file it reads around it.

#include "iconfile/IconImage.h"
#include "util/Result.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace glyphor {

// Where a BMP-style image comes from decides how strictly its header is read.
enum class DibLayout {
    // An image inside an icon file: the colour table starts at byte 40 of the
    // image whatever biSize says, and biClrUsed is not examined.
    IconFile,
    // An RT_ICON resource of an executable: the table follows biSize bytes and
    // holds biClrUsed entries when that is set, as the system's loader reads it.
    Resource,
};

// Largest width or height accepted from any image; larger claims are damage.
inline constexpr int kMaxImageSide = 1024;

bool IsPng(std::span<const std::uint8_t> bytes);

// BMP-style image of 1, 4, 8, 16, 24 or 32 bits per pixel; a 16-bit image is
// 5-5-5, or as its bit-field masks say (5-6-5). biHeight counts the
// colour rows and the mask rows together. The result has the image's own size;
// hasAlpha is set for a 32-bit image whose alpha is not 0 in every pixel.
Result<IconImage> DecodeDib(std::span<const std::uint8_t> image, DibLayout layout);

// PNG image through libpng: alpha kept, hasAlpha set, mask bit 1 where alpha < 128.
Result<IconImage> DecodePng(std::span<const std::uint8_t> image);

// Either of the above, told apart by the PNG signature.
Result<IconImage> DecodeIconImage(std::span<const std::uint8_t> image, DibLayout layout);

} // namespace glyphor
