#pragma once
// An icon as a PNG image, for the command-line tool's output and for anything
// else that hands an icon to other software.

#include "iconfile/IconImage.h"
#include "util/Result.h"

#include <cstdint>
#include <vector>

namespace glyphor {

// 8-bit RGBA PNG of the icon's size. Alpha is 0 where the mask bit is 1, else
// the pixel's alpha when the icon has an alpha channel, else 255.
Result<std::vector<std::uint8_t>> EncodePng(const IconImage& icon);

} // namespace glyphor
