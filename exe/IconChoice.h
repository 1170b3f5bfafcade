#pragma once
// The directory of an icon group (GRPICONDIR) as executables store it, and
// the choice of the one image that stands for the group at 32 x 32.

#include "files/ByteSource.h"
#include "iconfile/IconFileFormat.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace glyphor::exe {

// Most images of one group that are looked at; real groups have about a dozen.
inline constexpr std::size_t kMaxGroupImages = 256;
// The bytes of a group directory that hold those images.
inline constexpr std::size_t kMaxGroupDirectoryBytes
    = sizeof(IconDirHeader) + sizeof(GroupIconDirEntry) * kMaxGroupImages;

// The entries of a group directory: its header, then one entry per image.
// Entries that do not fit in the bytes are left out, and at most
// kMaxGroupImages are read. Nothing when not even the header is there.
std::optional<std::vector<GroupIconDirEntry>> ParseGroupIconDirectory(
    std::span<const std::uint8_t> bytes);

// Where an image's bytes lie in the file; empty when the image is missing.
struct ImageRange {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    bool empty() const { return length == 0; }
    bool operator==(const ImageRange&) const = default;
};

// One image of a group as the choice sees it. Only its place in the file is
// kept: the bytes of the one image chosen are read when it is decoded.
struct IconCandidate {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    ImageRange data;
};

// Most bytes read for one image: many times the largest real image (a
// 256 x 256 image of 32 bits is about 270 KB), so that a size claimed by a
// damaged file cannot make one read take the whole file. Longer images are
// cut here, and the decoder refuses them if that leaves them too short.
inline constexpr std::uint64_t kMaxImageBytes = 16u << 20;

// The range of an image at offset that claims length bytes, cut at the end
// of the file and at kMaxImageBytes; empty when it starts outside the file.
ImageRange ClampImage(std::uint64_t offset, std::uint64_t length, std::uint64_t fileSize);

// The bytes of an image; empty when it is missing or cannot be read.
std::vector<std::uint8_t> ReadImage(const files::SourceReader& file, const ImageRange& image);

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

// The images that a group directory names, each looked up by its id with
// imageById (empty when the executable lacks it). Nothing for a directory too
// short for its header.
std::vector<IconCandidate> GroupCandidates(std::span<const std::uint8_t> groupDirectory,
    const std::function<ImageRange(std::uint16_t id)>& imageById, const files::SourceReader& file);

// The present images (non-empty data) ordered best first for a 32 x 32 result:
// an exact 32 x 32 image first; otherwise by nearness of the size to 32 (the
// distance of width and of height added up), on a tie the larger image; then
// by most bits per pixel; then by place in the directory.
std::vector<std::size_t> PreferenceOrder(const std::vector<IconCandidate>& candidates);

} // namespace glyphor::exe
