#include "exe/IconChoice.h"
#include "exe/IconGroup.h"

#include "kit/Executables.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>

#include <string>

using namespace glyphor::exe;
using namespace glyphor::files;
using glyphor::kit::Bytes;

namespace {

struct ChoiceCase {
    std::string name;
    std::vector<IconCandidate> images; // data filled in by the test when present
    std::vector<bool> present;
    std::size_t expected;
};

const ImageRange kSome { 0, 1 };

IconCandidate C(int w, int h, int bpp)
{
    return { w, h, bpp, {} };
}

class PreferenceOrderTest : public ::testing::TestWithParam<ChoiceCase> { };

TEST_P(PreferenceOrderTest, ChoosesTheImageFor32x32)
{
    ChoiceCase c = GetParam();
    for (std::size_t i = 0; i < c.images.size(); ++i)
        if (c.present.empty() || c.present[i])
            c.images[i].data = kSome;
    auto order = PreferenceOrder(c.images);
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(order.front(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, PreferenceOrderTest,
    ::testing::Values(ChoiceCase { "Exact32BeatsEverything",
                          { C(16, 16, 32), C(48, 48, 32), C(32, 32, 4) }, {}, 2 },
        ChoiceCase { "Exact32WithMostBits", { C(32, 32, 4), C(32, 32, 32), C(32, 32, 8) }, {}, 1 },
        ChoiceCase { "NearestSize", { C(16, 16, 32), C(24, 24, 4), C(256, 256, 32) }, {}, 1 },
        ChoiceCase { "TieGoesToTheLarger", { C(16, 16, 32), C(48, 48, 4) }, {}, 1 },
        ChoiceCase {
            "TieOfSizeThenMostBits", { C(48, 48, 8), C(48, 48, 32), C(16, 16, 32) }, {}, 1 },
        ChoiceCase {
            "EqualsKeepDirectoryOrder", { C(16, 16, 8), C(32, 32, 8), C(32, 32, 8) }, {}, 1 },
        ChoiceCase {
            "MissingImagesAreSkipped", { C(32, 32, 32), C(16, 16, 4) }, { false, true }, 1 },
        ChoiceCase { "OnlyLargeImages", { C(256, 256, 32), C(64, 64, 32) }, {}, 1 }),
    glyphor::kit::RowName());

TEST(PreferenceOrder, NothingWhenEveryImageIsMissing)
{
    EXPECT_TRUE(PreferenceOrder({ C(32, 32, 4), C(16, 16, 4) }).empty());
    EXPECT_TRUE(PreferenceOrder({}).empty());
}

// The group reader takes the entries that fit in the directory and no more.
TEST(ReadGroupImages, ReadsEntriesThatFitAndNoMore)
{
    const MemorySource none(std::span<const std::uint8_t> {});
    const SourceReader file(none);
    const auto read = [&](const Bytes& g) {
        return ReadGroupImages(
            g, GroupKind::Icon, [](std::uint16_t) { return FoundImage {}; }, file);
    };
    Bytes g = glyphor::kit::MakeGroup(
        { { 0, 0, 32, 7, 1234 }, { 16, 16, 4, 0xFFFF, 5 }, { 48, 48, 8, 3, 9 } });
    auto all = read(g);
    ASSERT_TRUE(all);
    ASSERT_EQ(all->size(), 3u);
    EXPECT_EQ(SideFromByte((*all)[0].entry.width), 256);
    EXPECT_EQ((*all)[0].entry.bitCount, 32);
    EXPECT_EQ((*all)[0].entry.bytesInRes, 1234u);

    // The count claims three entries but only two and a half are there: the
    // third is named as having no entry.
    g.resize(6 + 14 * 2 + 7);
    auto cut = read(g);
    ASSERT_TRUE(cut);
    ASSERT_EQ(cut->size(), 3u);
    EXPECT_EQ((*cut)[2].data.flaw, Flaw::NoEntry);

    // A count of 65535 over a short directory reads and allocates no more
    // than the most images a group may have.
    g[4] = 0xFF;
    g[5] = 0xFF;
    EXPECT_EQ(read(g)->size(), kMaxGroupImages);

    EXPECT_FALSE(read(Bytes { 0, 0, 1, 0 }));
}

TEST(CandidateBitCount, FallsBackToTheImageHeaderThenTheColourCount)
{
    Bytes dib = glyphor::kit::PatternDib(16, 16, 8);
    EXPECT_EQ(CandidateBitCount(24, 0, dib), 24); // the directory wins when it says
    EXPECT_EQ(CandidateBitCount(0, 16, dib), 8); // else the image's own header
    glyphor::IconImage icon { 4, 4, std::vector<std::uint32_t>(16, 0xFF102030),
        std::vector<std::uint8_t>(16, 0), true };
    EXPECT_EQ(CandidateBitCount(0, 0, glyphor::kit::MakePng(icon)), 32); // RGBA 8-bit
    EXPECT_EQ(CandidateBitCount(0, 16, {}), 4); // else the colour count
    EXPECT_EQ(CandidateBitCount(0, 2, {}), 1);
}

} // namespace
