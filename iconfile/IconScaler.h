#pragma once
// An icon made smaller with its colours and transparency kept, for pictures
// handed to other software (a file manager's thumbnail): unlike the passage
// through the 32 x 32 image list, nothing is flattened onto black.

#include "iconfile/IconImage.h"

namespace glyphor {

// The size that fits an image of width x height into a square of side pixels
// with its aspect kept: the image's own size when it fits already (an image
// is never made larger), else the longer side becomes side and the shorter
// one is rounded to the nearest pixel, at least 1.
struct ImageSize {
    int width = 0;
    int height = 0;
    bool operator==(const ImageSize&) const = default;
};
ImageSize FitWithin(int width, int height, int side);

// The image at width x height by area average (box filter) over colour
// premultiplied by alpha, so that the colour of a transparent pixel (often
// black or garbage) never bleeds into its neighbours. The result has an alpha
// channel: alpha is the rounded mean alpha, colour the mean of the
// premultiplied colour divided by the mean alpha, rounded; a pixel whose
// alpha comes to 0 is transparent (mask 1) and 0. The mask of the source
// counts as alpha 0, and a source without alpha as alpha 255. Exact integer
// sums, deterministic to the byte. Meant for shrinking: each side at most the
// source's; anything else, or a source that is not well formed, gives an
// empty image.
IconImage ScaleIconDown(const IconImage& source, int width, int height);

} // namespace glyphor
