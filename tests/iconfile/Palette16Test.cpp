#include "iconfile/Palette16.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>

namespace glyphor {
namespace {

TEST(Palette16, EveryEntryMatchesItself)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(NearestColourIndex(kPalette16[i]), i) << i;
}

// The match through the cells of the colour cube is the full search's, for
// every colour.
TEST(Palette16, CellsGiveTheSearchsAnswerForEveryColour)
{
    for (std::uint32_t rgb = 0; rgb < 0x1000000u; ++rgb)
        ASSERT_EQ(NearestColourIndex(rgb | 0xFF000000u), NearestColourIndexBySearch(rgb)) << rgb;
}

struct Nearest {
    const char* name;
    std::uint32_t rgb;
    int index;
};

void PrintTo(const Nearest& n, std::ostream* os)
{
    *os << n.name;
}

class NearestColour : public ::testing::TestWithParam<Nearest> { };

TEST_P(NearestColour, Matches)
{
    EXPECT_EQ(NearestColourIndex(GetParam().rgb), GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(Palette16, NearestColour,
    ::testing::Values(
        // Equal distances go to the lower index.
        Nearest { "TieOfEightDarkColours", 0x404040, 0 }, // 3 * 64^2 to each of 0 to 7
        Nearest { "TieGreyAndSilver", 0xA0A0A0, 7 }, // 3 * 32^2 to both 7 and 8
        Nearest { "TieBlackAndMaroon", 0x400000, 0 }, // 64^2 to both 0 and 1
        Nearest { "TieOfFour", 0x404080, 4 }, // equal to 4, 5, 6 and 7
        // Just either side of a midpoint.
        Nearest { "MaroonSide", 0xBF0000, 1 }, Nearest { "RedSide", 0xC00000, 9 },
        Nearest { "SilverSide", 0xDFDFDF, 8 }, Nearest { "WhiteSide", 0xE0E0E0, 15 },
        Nearest { "TieOliveAndYellow", 0xFF8000, 3 }, // 127^2 + 128^2 to both 3 and 11
        Nearest { "DarkOlive", 0x707010, 3 },
        // The top byte (alpha) plays no part.
        Nearest { "AlphaIgnored", 0x1200FF00, 10 }),
    glyphor::kit::RowName());

} // namespace
} // namespace glyphor
