#pragma once
// The passage of an icon through the 32 x 32 image list: whatever its size
// and depth, it comes out as a 32 x 32 colour image with a one-bit mask.

#include "iconfile/IconImage.h"

namespace glyphor {

// Scaling: area average (box filter) over premultiplied colour and alpha.
// Mask bit 1 where the AND mask says transparent or, with an alpha channel,
// where alpha < 128. Opaque pixels: the image over black, each channel
// (c * a + 127) / 255; transparent pixels black. Alpha 0xFF in every pixel of
// the result, hasAlpha false. Deterministic to the byte.
IconImage NormalizeIcon(const IconImage& source, int size = kIconSize);

} // namespace glyphor
