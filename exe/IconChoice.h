#pragma once
// The directory of an icon group (GRPICONDIR) as executables store it, and
// the choice of the one image that stands for the group at 32 x 32.

#include "exe/ImageRange.h"
#include "files/ByteSource.h"
#include "iconfile/IconFileFormat.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace glyphor::exe {

// Most images of one group that are looked at; real groups have about a dozen.
inline constexpr std::size_t kMaxGroupImages = 256;
// The bytes of a group directory that hold those images.
inline constexpr std::size_t kMaxGroupDirectoryBytes
    = sizeof(IconDirHeader) + sizeof(GroupIconDirEntry) * kMaxGroupImages;

// One image of a group as the choice sees it. Only its place in the file is
// kept: the bytes of the one image chosen are read when it is decoded.
struct IconCandidate {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    ImageRange data;
    // Why data is empty, or why it may not hold the whole image.
    Flaw flaw = Flaw::None;
};

// 0 in a width or height byte of a directory means 256.
inline int SideFromByte(std::uint8_t b)
{
    return b == 0 ? 256 : b;
}

// The depth of an image for the choice: the directory's bit count when it
// gives one; otherwise what the image's own header says (the bitmap info
// header or the PNG header, of which the first kImageHeaderBytes suffice);
// otherwise what the directory's colour count implies.
inline constexpr std::size_t kImageHeaderBytes = 32;
static_assert(kImageHeaderBytes >= sizeof(PngHeader)
    && kImageHeaderBytes >= offsetof(BitmapInfoHeader, bitCount) + sizeof(std::uint16_t));
int CandidateBitCount(std::uint16_t directoryBitCount, std::uint8_t colourCount,
    std::span<const std::uint8_t> header);
// The same, reading the image's header from the file only when the
// directory leaves the depth open.
int CandidateBitCount(std::uint16_t directoryBitCount, std::uint8_t colourCount,
    const files::SourceReader& file, const ImageRange& image);

// The present images (non-empty data) ordered best first for a 32 x 32 result:
// an exact 32 x 32 image first; otherwise by nearness of the size to 32 (the
// distance of width and of height added up), on a tie the larger image; then
// by most bits per pixel; then by place in the directory.
std::vector<std::size_t> PreferenceOrder(const std::vector<IconCandidate>& candidates);

} // namespace glyphor::exe
