#include "platform/NeResourceReader.h"

#include "kit/Executables.h"

#include <gtest/gtest.h>

using namespace glyphor::platform;
using namespace glyphor::kit;

namespace {

Bytes Sample(std::uint16_t shift)
{
    return BuildNe(
        {
            { ResId::Id(3), MakeGroup({ { 32, 32, 4, 1 } }) },
            { ResId::Name(u"MAIN"), MakeGroup({ { 16, 16, 4, 2 }, { 32, 32, 4, 7 } }) },
            { ResId::Id(1), MakeGroup({ { 32, 32, 4, 9 } }) }, // image 9 does not exist
        },
        { { ResId::Id(1), PatternDib(32, 32, 4, 1) }, { ResId::Id(2), PatternDib(16, 16, 4, 2) } },
        shift);
}

TEST(NeResourceReader, NamedGroupsFirstThenNumberedAsStored)
{
    for (std::uint16_t shift : { 0, 4, 9 }) {
        const Bytes ne = Sample(shift);
        auto r = Open<NeResourceReader>(ne);
        ASSERT_TRUE(r) << shift;
        ASSERT_EQ(r->groupCount(), 3u) << shift;
        auto main = r->images(0);
        ASSERT_EQ(main.size(), 2u);
        EXPECT_EQ(main[0].width, 16);
        ASSERT_GE(main[0].data.length, 40u) << shift;
        // The group names image 2 by number; the table lists it as 0x8002.
        const Bytes two = PatternDib(16, 16, 4, 2);
        const Bytes first = At(ne, main[0].data);
        EXPECT_EQ(Bytes(first.begin(), first.begin() + 40), Bytes(two.begin(), two.begin() + 40));
        EXPECT_TRUE(main[1].data.empty());
        auto three = r->images(1);
        ASSERT_EQ(three.size(), 1u);
        EXPECT_GE(three[0].data.length, PatternDib(32, 32, 4, 1).size());
        EXPECT_TRUE(r->images(2).at(0).data.empty());
    }
}

TEST(NeResourceReader, DamagedTablesYieldNoIcons)
{
    const Bytes good = Sample(4);
    const std::size_t table = 0x80;
    {
        Bytes b = good;
        b[table] = 16; // shift too large
        EXPECT_EQ(Open<NeResourceReader>(b)->groupCount(), 0u);
    }
    {
        Bytes b = good;
        b[table + 4] = 0xFF; // group type claims 65535 records
        b[table + 5] = 0xFF;
        EXPECT_EQ(Open<NeResourceReader>(b)->groupCount(), 0u);
    }
    {
        Bytes b = good;
        b[0x40 + 0x26] = b[0x40 + 0x24]; // resource table empty
        b[0x40 + 0x27] = b[0x40 + 0x25];
        EXPECT_EQ(Open<NeResourceReader>(b)->groupCount(), 0u);
    }
    for (std::size_t n = 0; n <= good.size(); ++n) {
        Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        auto r = Open<NeResourceReader>(cut);
        if (!r)
            continue;
        EXPECT_LE(r->groupCount(), 3u);
        for (std::size_t g = 0; g < r->groupCount(); ++g)
            r->images(g);
    }
}

} // namespace
