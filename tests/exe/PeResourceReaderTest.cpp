#include "exe/PeResourceReader.h"

#include "kit/Executables.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace glyphor::exe;
using namespace glyphor::files;
using namespace glyphor::kit;

namespace {

// A group directory naming one image whose id tells the groups apart.
Bytes Tagged(std::uint16_t id)
{
    return MakeGroup({ { 32, 32, 4, id } });
}

std::uint16_t FirstImageId(const PeResourceReader& r, std::size_t group)
{
    // The first entry's id, at its place after the 6-byte header.
    const auto directory = r.groupDirectory(group);
    return directory.size() >= 6 + 14 ? std::uint16_t(directory[6 + 12] | directory[6 + 13] << 8)
                                      : std::uint16_t { 0xFFFF };
}

class PeFormats : public ::testing::TestWithParam<bool> { };

TEST_P(PeFormats, GroupsInDirectoryOrderNamedFirst)
{
    Bytes pe = BuildPe(
        {
            { ResId::Id(kGroupIconResourceType), ResId::Id(5), 1033, Tagged(105) },
            { ResId::Id(kGroupIconResourceType), ResId::Name(u"ZED"), 1033, Tagged(201) },
            { ResId::Id(kGroupIconResourceType), ResId::Id(2), 1033, Tagged(102) },
            { ResId::Id(kGroupIconResourceType), ResId::Name(u"ABC"), 1033, Tagged(202) },
            { ResId::Id(4), ResId::Id(1), 1033, Bytes(8) }, // a menu, not an icon
        },
        GetParam());
    auto r = Open<PeResourceReader>(pe);
    ASSERT_TRUE(r);
    ASSERT_EQ(r->groupCount(), 4u);
    // As stored: the builder writes named entries first, each kind in the order given.
    EXPECT_EQ(FirstImageId(*r, 0), 201);
    EXPECT_EQ(FirstImageId(*r, 1), 202);
    EXPECT_EQ(FirstImageId(*r, 2), 105);
    EXPECT_EQ(FirstImageId(*r, 3), 102);
}

TEST_P(PeFormats, LanguagesCountOnceAndImagesComeInTheGroupsLanguage)
{
    const Bytes img1033 = PatternDib(32, 32, 4, 1);
    const Bytes img2057 = PatternDib(32, 32, 4, 2);
    const Bytes img0 = PatternDib(16, 16, 8, 3);
    Bytes pe = BuildPe(
        {
            { ResId::Id(kGroupIconResourceType), ResId::Id(7), 2057,
                MakeGroup({ { 32, 32, 4, 1 }, { 16, 16, 8, 2 } }) },
            { ResId::Id(kGroupIconResourceType), ResId::Id(7), 1033, Tagged(1) },
            { ResId::Id(kGroupIconResourceType), ResId::Id(7), 0, Tagged(1) },
            { ResId::Id(kIconResourceType), ResId::Id(1), 1033, img1033 },
            { ResId::Id(kIconResourceType), ResId::Id(1), 2057, img2057 },
            // Only in another language: the first variant stands in.
            { ResId::Id(kIconResourceType), ResId::Id(2), 0, img0 },
        },
        GetParam());
    auto r = Open<PeResourceReader>(pe);
    ASSERT_TRUE(r);
    ASSERT_EQ(r->groupCount(), 1u);
    EXPECT_EQ(r->groupLanguage(0), 2057u);
    auto images = r->images(0);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(At(pe, images[0].data), img2057);
    EXPECT_EQ(At(pe, images[1].data), img0);
    EXPECT_EQ(images[1].width, 16);
    EXPECT_EQ(images[1].bitCount, 8);
}

TEST_P(PeFormats, GroupWithMissingImagesStillCounts)
{
    Bytes pe = BuildPe(
        {
            { ResId::Id(kGroupIconResourceType), ResId::Id(1), 1033,
                MakeGroup({ { 32, 32, 4, 40 }, { 16, 16, 4, 41 } }) },
            { ResId::Id(kGroupIconResourceType), ResId::Id(2), 1033, Tagged(1) },
            { ResId::Id(kIconResourceType), ResId::Id(1), 1033, PatternDib(32, 32, 4) },
        },
        GetParam());
    auto r = Open<PeResourceReader>(pe);
    ASSERT_TRUE(r);
    ASSERT_EQ(r->groupCount(), 2u);
    auto images = r->images(0);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_TRUE(images[0].data.empty());
    EXPECT_TRUE(images[1].data.empty());
    EXPECT_FALSE(r->images(1).at(0).data.empty());
    EXPECT_TRUE(r->images(2).empty()); // no such group
}

INSTANTIATE_TEST_SUITE_P(Pe, PeFormats, ::testing::Values(false, true),
    [](const auto& info) { return info.param ? "Pe32Plus" : "Pe32"; });

Bytes TwoGroupFile(PeLayout* layout)
{
    return BuildPe(
        {
            { ResId::Id(kGroupIconResourceType), ResId::Id(1), 1033, Tagged(1) },
            { ResId::Id(kGroupIconResourceType), ResId::Id(2), 1033,
                MakeGroup({ { 16, 16, 4, 1 }, { 32, 32, 8, 2 } }) },
            { ResId::Id(kIconResourceType), ResId::Id(1), 1033, PatternDib(16, 16, 4) },
            { ResId::Id(kIconResourceType), ResId::Id(2), 1033, PatternDib(32, 32, 8) },
        },
        false, layout);
}

TEST(PeResourceReader, EveryTruncationFinishesWithinTheFile)
{
    PeLayout layout;
    const Bytes full = TwoGroupFile(&layout);
    for (std::size_t n = 0; n <= full.size(); ++n) {
        // A copy of exactly n bytes, so that the sanitizer sees any read past it.
        Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        auto r = Open<PeResourceReader>(cut);
        if (n < 2) {
            EXPECT_FALSE(r) << n;
            continue;
        }
        if (!r)
            continue; // cut inside the DOS header: not recognised as PE
        EXPECT_LE(r->groupCount(), 2u) << n;
        for (std::size_t g = 0; g < r->groupCount(); ++g)
            for (const IconCandidate& c : r->images(g)) {
                if (!c.data.empty()) {
                    EXPECT_LE(c.data.offset + c.data.length, cut.size());
                }
            }
    }
    EXPECT_EQ(Open<PeResourceReader>(full)->groupCount(), 2u);
}

TEST(PeResourceReader, LoopsInTheTreeAreRefused)
{
    PeLayout layout;
    const Bytes good = TwoGroupFile(&layout);
    const std::size_t root = layout.rsrcOffset;

    // The RT_GROUP_ICON type entry (first id entry of the root) points back at the root.
    Bytes loop = good;
    ASSERT_EQ(loop[root + 16], 14); // the group type comes first, as the ids were given
    Set32(loop, root + 16 + 4, 0x80000000u);
    auto r = Open<PeResourceReader>(loop);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->groupCount(), 0u);

    // A group name whose language directory is its own name directory.
    Bytes self = good;
    const std::uint32_t groupNameDir
        = static_cast<std::uint32_t>(good[root + 16 + 4] | good[root + 16 + 5] << 8);
    Set32(self, root + groupNameDir + 16 + 4, 0x80000000u | groupNameDir);
    r = Open<PeResourceReader>(self);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->groupCount(), 1u); // the second group is still there

    // An icon name whose language directory is the root: the image is missing.
    Bytes iconLoop = good;
    const std::uint32_t iconNameDir
        = static_cast<std::uint32_t>(good[root + 16 + 8 + 4] | good[root + 16 + 8 + 5] << 8);
    Set32(iconLoop, root + iconNameDir + 16 + 4, 0x80000000u);
    r = Open<PeResourceReader>(iconLoop);
    ASSERT_TRUE(r);
    ASSERT_EQ(r->groupCount(), 2u);
    EXPECT_TRUE(r->images(0).at(0).data.empty());
}

TEST(PeResourceReader, HostileCountsAndOffsetsYieldNothingOutsideTheFile)
{
    PeLayout layout;
    const Bytes good = TwoGroupFile(&layout);
    const std::size_t root = layout.rsrcOffset;
    // The resource tree's entry in the table of data directories.
    const std::size_t resources
        = layout.dataDirectories + kResourceDirectoryIndex * sizeof(DataDirectory);
    const std::size_t file = layout.fileHeader;

    struct Case {
        const char* name;
        std::function<void(Bytes&)> damage;
        std::size_t groups;
    };
    const Case cases[] = {
        { "RootClaimsEveryEntry",
            [&](Bytes& b) {
                b[root + 14] = 0xFF;
                b[root + 15] = 0xFF;
            },
            2 },
        { "ResourceRvaOutsideSections",
            [&](Bytes& b) {
                Set32(b, resources + offsetof(DataDirectory, virtualAddress), 0x90000);
            },
            0 },
        { "ResourceRvaZero",
            [&](Bytes& b) { Set32(b, resources + offsetof(DataDirectory, virtualAddress), 0); },
            0 },
        { "NoDataDirectories",
            [&](Bytes& b) {
                Set32(
                    b, layout.optionalHeader + offsetof(OptionalHeader32, numberOfRvaAndSizes), 2);
            },
            0 },
        { "UnknownMagic", [&](Bytes& b) { b[layout.optionalHeader] = 0x07; }, 0 },
        { "SectionPastTheFile",
            [&](Bytes& b) {
                Set32(b, layout.sectionHeader + offsetof(SectionHeader, pointerToRawData),
                    0x7FFFFFF0);
            },
            0 },
        { "SectionCountHuge",
            [&](Bytes& b) { Set16(b, file + offsetof(CoffFileHeader, numberOfSections), 0xFFFF); },
            2 },
        { "OptionalHeaderTooSmall",
            [&](Bytes& b) { Set16(b, file + offsetof(CoffFileHeader, sizeOfOptionalHeader), 64); },
            0 },
    };
    for (const Case& c : cases) {
        Bytes b = good;
        c.damage(b);
        auto r = Open<PeResourceReader>(b);
        ASSERT_TRUE(r) << c.name;
        EXPECT_EQ(r->groupCount(), c.groups) << c.name;
        for (std::size_t g = 0; g < r->groupCount(); ++g)
            r->images(g);
    }
}

// 65,535 group names, each with a language directory of its own that claims
// 65,535 entries, none of them data. The directories overlap, so the file
// stays small (1.5 MB) while reading each in full would mean four billion
// entries: the reader must finish quickly and find no group.
TEST(PeResourceReader, OverlappingLanguageDirectoriesDoNotMakeTheReadQuadratic)
{
    constexpr std::uint32_t kNames = 65535;
    constexpr std::size_t kNameDir = 24;
    constexpr std::size_t kLanguageDirs = kNameDir + 16 + 8 * kNames;
    constexpr std::size_t kTreeSize = kLanguageDirs + 8 * kNames + 16 + 8 * 65536;
    PeLayout layout;
    Bytes b = BuildPe(
        { { ResId::Id(kGroupIconResourceType), ResId::Id(1), 1033, Bytes(kTreeSize, 0) } }, false,
        &layout);
    const std::size_t root = layout.rsrcOffset;
    std::fill(b.begin() + static_cast<std::ptrdiff_t>(root),
        b.begin() + static_cast<std::ptrdiff_t>(root + kTreeSize), 0);
    b[root + 14] = 1; // one type: RT_GROUP_ICON
    Set32(b, root + 16, kGroupIconResourceType);
    Set32(b, root + 20, 0x80000000u | kNameDir);
    b[root + kNameDir + 14] = 0xFF;
    b[root + kNameDir + 15] = 0xFF;
    for (std::uint32_t i = 0; i < kNames; ++i) {
        Set32(b, root + kNameDir + 16 + 8 * i, i + 1);
        Set32(b, root + kNameDir + 20 + 8 * i, 0x80000000u | (kLanguageDirs + 8 * i));
    }
    // Every byte 0xFF: each directory claims the most entries, and every entry
    // reads as a subdirectory, which a language level cannot hold.
    std::fill(b.begin() + static_cast<std::ptrdiff_t>(root + kLanguageDirs),
        b.begin() + static_cast<std::ptrdiff_t>(root + kTreeSize), 0xFF);

    auto r = Open<PeResourceReader>(b);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->groupCount(), 0u);
}

TEST(PeResourceReader, DataEntryPastTheFileIsMissing)
{
    PeLayout layout;
    Bytes b = TwoGroupFile(&layout);
    auto r = Open<PeResourceReader>(b);
    ASSERT_TRUE(r);
    // Point the first icon's data RVA far beyond its section.
    const auto data = r->images(1).at(0).data;
    const std::size_t off = static_cast<std::size_t>(data.offset);
    const std::uint32_t rva = static_cast<std::uint32_t>(off - layout.rsrcOffset + layout.rsrcRva);
    bool patched = false;
    for (std::size_t i = layout.rsrcOffset; i + 4 <= b.size(); i += 4) {
        if (b[i] == (rva & 0xFF) && b[i + 1] == ((rva >> 8) & 0xFF) && b[i + 2] == 0
            && b[i + 3] == 0) {
            Set32(b, i, 0x00F00000);
            patched = true;
            break;
        }
    }
    ASSERT_TRUE(patched);
    r = Open<PeResourceReader>(b);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->images(1).at(0).data.empty());
    EXPECT_FALSE(r->images(1).at(1).data.empty());
}

TEST(PeResourceReader, OnlyPeFilesAreRecognised)
{
    EXPECT_FALSE(Open<PeResourceReader>(Bytes {}));
    EXPECT_FALSE(Open<PeResourceReader>(Bytes { 'M', 'Z' }));
    Bytes mz(0x40);
    mz[0] = 'M';
    mz[1] = 'Z';
    Set32(mz, 0x3C, 0xFFFFFFF0u); // e_lfanew beyond the file
    EXPECT_FALSE(Open<PeResourceReader>(mz));
    Bytes ne = BuildNe({}, {});
    EXPECT_FALSE(Open<PeResourceReader>(ne));
}

} // namespace
