#include "exe/NeResourceReader.h"

#include "exe/NeFormat.h"
#include "kit/Executables.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>

#include <functional>

using namespace glyphor::exe;
using namespace glyphor::files;
using namespace glyphor::kit;

namespace {

Bytes Sample(std::uint16_t shift, NeLayout* layout = nullptr)
{
    return BuildNe(
        {
            { ResId::Id(3), MakeGroup({ { 32, 32, 4, 1 } }) },
            { ResId::Name(u"MAIN"), MakeGroup({ { 16, 16, 4, 2 }, { 32, 32, 4, 7 } }) },
            { ResId::Id(1), MakeGroup({ { 32, 32, 4, 9 } }) }, // image 9 does not exist
        },
        { { ResId::Id(1), PatternDib(32, 32, 4, 1) }, { ResId::Id(2), PatternDib(16, 16, 4, 2) } },
        shift, layout);
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

// The sample damaged in one place: the groups that are still read, and the
// images of theirs that are still found (2 of 4 in the sample as built). A
// damaged table gives no icons rather than icons made of other bytes, and
// nothing read lies outside the file.
struct Damage {
    const char* name;
    std::function<void(Bytes&, const NeLayout&)> damage;
    std::size_t groups;
    int images;
};

void PrintTo(const Damage& d, std::ostream* os)
{
    *os << d.name;
}

// The record of the index-th resource of the type whose record is at type.
std::size_t ResourceRecord(std::size_t type, std::size_t index)
{
    return type + sizeof(NeTypeInfo) + index * sizeof(NeNameInfo);
}

class DamagedNeTable : public ::testing::TestWithParam<Damage> { };

TEST_P(DamagedNeTable, GivesWhatIsLeftAndNothingOutsideTheFile)
{
    NeLayout layout;
    Bytes b = Sample(4, &layout);
    GetParam().damage(b, layout);
    auto r = Open<NeResourceReader>(b);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->groupCount(), GetParam().groups);
    int images = 0;
    for (std::size_t g = 0; g < r->groupCount(); ++g)
        for (const IconCandidate& c : r->images(g)) {
            if (c.data.empty())
                continue;
            ++images;
            EXPECT_LE(c.data.offset + c.data.length, b.size()) << "group " << g;
        }
    EXPECT_EQ(images, GetParam().images);
}

INSTANTIATE_TEST_SUITE_P(Rows, DamagedNeTable,
    ::testing::Values(Damage { "AsBuilt", [](Bytes&, const NeLayout&) {}, 3, 2 },
        Damage {
            "ShiftTooLarge", [](Bytes& b, const NeLayout& l) { Set16(b, l.table, 16); }, 0, 0 },
        Damage { "GroupTypeClaimsEveryRecord",
            [](Bytes& b, const NeLayout& l) {
                Set16(b, l.groupType + offsetof(NeTypeInfo, count), 0xFFFF);
            },
            0, 0 },
        Damage { "ResourceTableEmpty",
            [](Bytes& b, const NeLayout& l) {
                const std::size_t table = l.header + offsetof(NeHeader, resourceTableOffset);
                Set16(b, l.header + offsetof(NeHeader, residentNamesOffset),
                    b[table] | b[table + 1] << 8);
            },
            0, 0 },
        Damage { "ResourceTableBeyondTheFile",
            [](Bytes& b, const NeLayout& l) {
                Set16(b, l.header + offsetof(NeHeader, resourceTableOffset), 0xFFF0);
            },
            0, 0 },
        // The groups were read before the icon type; their images are not found.
        Damage { "IconTypeClaimsEveryRecord",
            [](Bytes& b, const NeLayout& l) {
                Set16(b, l.iconType + offsetof(NeTypeInfo, count), 0xFFFF);
            },
            3, 0 },
        Damage { "TableEndsAfterTheGroups",
            [](Bytes& b, const NeLayout& l) {
                Set16(b, l.iconType + offsetof(NeTypeInfo, typeId), 0);
            },
            3, 0 },
        Damage { "ImageBeyondTheFile",
            [](Bytes& b, const NeLayout& l) {
                Set16(b, ResourceRecord(l.iconType, 0) + offsetof(NeNameInfo, offset), 0xFFFF);
            },
            3, 1 },
        // A length that runs past the end is cut at the end of the file.
        Damage { "LastImageLongerThanTheFile",
            [](Bytes& b, const NeLayout& l) {
                Set16(b, ResourceRecord(l.iconType, 1) + offsetof(NeNameInfo, length), 0xFFFF);
            },
            3, 2 },
        Damage { "GroupDirectoryBeyondTheFile",
            [](Bytes& b, const NeLayout& l) {
                Set16(b, ResourceRecord(l.groupType, 0) + offsetof(NeNameInfo, offset), 0xFFFF);
            },
            3, 1 }),
    RowName());

TEST(NeResourceReader, EveryTruncationFinishesWithinTheFile)
{
    const Bytes good = Sample(4);
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
