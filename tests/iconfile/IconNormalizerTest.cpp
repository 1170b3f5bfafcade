#include "iconfile/IconNormalizer.h"

#include "kit/IconImages.h"

#include <gtest/gtest.h>

namespace glyphor {
namespace {

TEST(IconNormalizer, StandardSizeKeepsPixelsAndAppliesTheMaskAndAlphaRules)
{
    IconImage src = kit::FilledImage(32, 32, 0xFFC86432, true);
    src.pixels[1] = 0x80C86432; // alpha 128: opaque, composited over black
    src.pixels[2] = 0x7FC86432; // alpha 127: transparent
    src.mask[3] = 1; // AND mask: transparent whatever its alpha
    const IconImage out = NormalizeIcon(src);
    ASSERT_EQ(out.width, 32);
    ASSERT_EQ(out.height, 32);
    EXPECT_FALSE(out.hasAlpha);
    EXPECT_EQ(out.pixels[0], 0xFFC86432u);
    // (200 * 128 + 127) / 255 = 100, (100 * 128 + 127) / 255 = 50, (50 * 128 + 127) / 255 = 25
    EXPECT_EQ(out.pixels[1], 0xFF643219u);
    EXPECT_EQ(out.mask[1], 0);
    for (int i : { 2, 3 }) {
        EXPECT_EQ(out.mask[i], 1) << i;
        EXPECT_EQ(out.pixels[i], 0xFF000000u) << i;
    }
}

TEST(IconNormalizer, WithoutAlphaChannelTheAlphaByteIsIgnored)
{
    IconImage src = kit::FilledImage(32, 32, 0x00102030, false);
    const IconImage out = NormalizeIcon(src);
    EXPECT_EQ(out.pixels[0], 0xFF102030u);
    EXPECT_EQ(out.mask[0], 0);
}

TEST(IconNormalizer, SixteenBecomesTwoByTwoBlocks)
{
    IconImage src = kit::FilledImage(16, 16, 0xFF000000u, false);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            src.pixels[y * 16 + x] = 0xFF000000u | static_cast<std::uint32_t>(x * 16 + y);
            src.mask[y * 16 + x] = x < 8 ? 1 : 0;
        }
    const IconImage out = NormalizeIcon(src);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * 32 + x;
            const std::uint32_t expected = x < 16
                ? 0xFF000000u
                : 0xFF000000u | static_cast<std::uint32_t>((x / 2) * 16 + y / 2);
            ASSERT_EQ(out.pixels[i], expected) << x << "," << y;
            ASSERT_EQ(out.mask[i], x < 16 ? 1 : 0) << x << "," << y;
        }
}

TEST(IconNormalizer, FortyEightIsAveragedOverAreas)
{
    // Columns alternate black and blue 255. Each output pixel covers one and a
    // half columns: one of one colour and half of the other.
    IconImage src = kit::FilledImage(48, 48, 0xFF000000u, false);
    for (int y = 0; y < 48; ++y)
        for (int x = 1; x < 48; x += 2)
            src.pixels[y * 48 + x] = 0xFF0000FFu;
    const IconImage out = NormalizeIcon(src);
    // Column 0: black 1, blue 1/2 -> 255/3 = 85; column 1: blue 1/2, black 1 -> 85.
    EXPECT_EQ(out.pixels[0], 0xFF000055u);
    EXPECT_EQ(out.pixels[1], 0xFF000055u);
    // The last column covers half of column 46 (black) and column 47 (blue): 2/3 -> 170.
    EXPECT_EQ(out.pixels[31 * 32 + 31], 0xFF0000AAu);
}

TEST(IconNormalizer, PartialTransparencyAveragesIntoTheMask)
{
    // White 64 x 64; each output pixel covers one 2 x 2 cell. In the left half
    // three pixels of each cell are masked (alpha 64 on average, below 128:
    // transparent); in the right half one is (alpha 191: opaque, darkened).
    IconImage src = kit::FilledImage(64, 64, 0xFFFFFFFFu, false);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool leftHalf = x < 32;
            const bool firstOfCell = (x % 2 == 0) && (y % 2 == 0);
            if (leftHalf ? !firstOfCell : firstOfCell)
                src.mask[y * 64 + x] = 1;
        }
    const IconImage out = NormalizeIcon(src);
    EXPECT_EQ(out.mask[0], 1);
    EXPECT_EQ(out.pixels[0], 0xFF000000u);
    EXPECT_EQ(out.mask[31], 0);
    // Premultiplied mean 255 * 255 * 3/4 -> (48768.75 + 127) / 255 = 191
    EXPECT_EQ(out.pixels[31], 0xFFBFBFBFu);
}

TEST(IconNormalizer, NonSquareAndOddSizesReachTheStandardSizeDeterministically)
{
    for (auto [w, h] :
        { std::pair { 64, 16 }, std::pair { 7, 45 }, std::pair { 1, 1 }, std::pair { 1024, 3 } }) {
        IconImage src = kit::FilledImage(w, h, 0xFF808080u, false);
        for (std::size_t i = 0; i < src.pixels.size(); ++i)
            src.pixels[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 2654435761u & 0xFFFFFF);
        const IconImage a = NormalizeIcon(src);
        ASSERT_EQ(a.width, 32);
        ASSERT_EQ(a.pixels.size(), 1024u);
        EXPECT_EQ(a, NormalizeIcon(src));
    }
    EXPECT_TRUE(NormalizeIcon(IconImage {}).empty());
}

} // namespace
} // namespace glyphor
