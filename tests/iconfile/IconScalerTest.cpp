// Shrinking an icon for a thumbnail: the size it fits into, and the area
// average over premultiplied colour that keeps colours and transparency.

#include "iconfile/IconScaler.h"

#include "kit/IconImages.h"

#include <gtest/gtest.h>

namespace glyphor {
namespace {

TEST(IconScaler, FitWithinShrinksTheLongerSideToTheSizeAndNeverGrows)
{
    const struct {
        const char* name;
        int width, height, side;
        ImageSize fit;
    } cases[] = {
        { "square, larger", 256, 256, 128, { 128, 128 } },
        { "square, equal", 256, 256, 256, { 256, 256 } },
        { "square, smaller: its own size", 48, 48, 128, { 48, 48 } },
        { "wide: the height rounded", 256, 100, 128, { 128, 50 } },
        { "tall: the width rounded half up", 3, 256, 128, { 2, 128 } },
        { "a sliver keeps one pixel", 1024, 1, 16, { 16, 1 } },
        { "only the height too large", 10, 300, 100, { 3, 100 } },
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitWithin(c.width, c.height, c.side), c.fit) << c.name;
}

// One opaque red pixel among three transparent black ones: the average over
// premultiplied colour stays pure red at a quarter of the alpha, where a
// plain average would darken it to a third of its red.
TEST(IconScaler, TransparentPixelsLendNoColour)
{
    IconImage src = kit::FilledImage(2, 2, 0x00000000u, true);
    src.pixels[0] = 0xFFFF0000u;
    const IconImage out = ScaleIconDown(src, 1, 1);
    ASSERT_EQ(out.width, 1);
    EXPECT_TRUE(out.hasAlpha);
    EXPECT_EQ(out.pixels[0], 0x40FF0000u); // alpha (255 + 2) / 4 = 64
    EXPECT_EQ(out.mask[0], 0);
}

TEST(IconScaler, TheMaskCountsAsTransparentAndNoAlphaAsOpaque)
{
    IconImage masked = kit::FilledImage(2, 2, 0x00204060u, false);
    masked.mask = { 1, 1, 1, 0 };
    EXPECT_EQ(ScaleIconDown(masked, 1, 1).pixels[0], 0x40204060u);

    masked.mask = { 1, 1, 1, 1 };
    const IconImage clear = ScaleIconDown(masked, 1, 1);
    EXPECT_EQ(clear.pixels[0], 0u);
    EXPECT_EQ(clear.mask[0], 1);
}

// 3 to 2: each destination pixel covers one source pixel whole and half of
// the middle one, so the middle column counts a third in each.
TEST(IconScaler, UnevenRatiosWeighTheSharedPixelsByTheirOverlap)
{
    IconImage src = kit::FilledImage(3, 1, 0xFF000000u, true);
    src.pixels = { 0xFF000000u, 0xFF0000FFu, 0xFF00FF00u };
    const IconImage out = ScaleIconDown(src, 2, 1);
    // Left: (0 * 2 + 255 * 1) / 3 = 85 blue. Right: 85 blue, 170 green.
    EXPECT_EQ(out.pixels[0], 0xFF000055u);
    EXPECT_EQ(out.pixels[1], 0xFF00AA55u);
}

TEST(IconScaler, NeverEnlarges)
{
    const IconImage src = kit::FilledImage(16, 16, 0xFF123456u, true);
    EXPECT_TRUE(ScaleIconDown(src, 32, 16).empty());
    EXPECT_TRUE(ScaleIconDown(src, 0, 0).empty());
    EXPECT_EQ(ScaleIconDown(src, 16, 16), src);
}

} // namespace
} // namespace glyphor
