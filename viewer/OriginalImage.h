#pragma once
// The picture the Sources dialog shows of an original group: its largest
// image, decoded at its own size with its full colour and transparency, as
// the executable stored it (a PNG image too).

#include "iconfile/IconImage.h"
#include "util/Result.h"

#include <cstdint>
#include <span>

namespace glyphor {

struct OriginalImage {
    IconImage image;
    // The image's depth as the group tells it (32 for most PNG images).
    int bitCount = 0;
    bool png = false;
    // The images the group's directory lists.
    int images = 0;
};

// The largest image of the group, an icon file as the catalogue keeps it:
// the widest by its directory entry, of those the deepest, of those the
// first. When that one does not decode, the next largest that does. A
// failure, saying why, when the bytes are no icon file or no image decodes.
Result<OriginalImage> LargestOriginalImage(std::span<const std::uint8_t> group);

} // namespace glyphor
