#pragma once
// The directory of an icon group (GRPICONDIR) as executables store it, and
// the choice of the one image that stands for the group at 32 x 32.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace glyphor::platform {

// Most images of one group that are looked at; real groups have about a dozen.
inline constexpr std::size_t kMaxGroupImages = 256;

// One 14-byte entry of a group directory in an executable.
struct GroupIconEntry {
    std::uint8_t width = 0;      // 0 stands for 256
    std::uint8_t height = 0;     // 0 stands for 256
    std::uint8_t colourCount = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t bytesInRes = 0;
    std::uint16_t id = 0;        // the RT_ICON resource that holds the image
};

// The entries of a group directory: 6 bytes of header, then 14 bytes per
// image. Entries that do not fit in the bytes are left out, and at most
// kMaxGroupImages are read. Nothing when not even the header is there.
std::optional<std::vector<GroupIconEntry>> ParseGroupIconDirectory(
    std::span<const std::uint8_t> bytes);

// One image of a group as the choice sees it.
struct IconCandidate {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::span<const std::uint8_t> data; // empty when the image is missing
};

// 0 in a width or height byte of a directory means 256.
inline int SideFromByte(std::uint8_t b) { return b == 0 ? 256 : b; }

// The depth of an image for the choice: the directory's bit count when it
// gives one; otherwise what the image's own header says (BITMAPINFOHEADER or
// the PNG header); otherwise what the directory's colour count implies.
int CandidateBitCount(std::uint16_t directoryBitCount, std::uint8_t colourCount,
                      std::span<const std::uint8_t> data);

// The images that a group directory names, each looked up by its id with
// imageById (empty when the executable lacks it). Nothing for a directory too
// short for its header.
std::vector<IconCandidate> GroupCandidates(
    std::span<const std::uint8_t> groupDirectory,
    const std::function<std::span<const std::uint8_t>(std::uint16_t id)>& imageById);

// The present images (non-empty data) ordered best first for a 32 x 32 result:
// an exact 32 x 32 image first; otherwise by nearness of the size to 32 (the
// distance of width and of height added up), on a tie the larger image; then
// by most bits per pixel; then by place in the directory.
std::vector<std::size_t> PreferenceOrder(const std::vector<IconCandidate>& candidates);

} // namespace glyphor::platform
