// Why an icon cannot be had, as the readers and the decoder word it: the
// words that reach a harvest's skip line after "Icon image is not valid".

#include "exe/IconExtractor.h"
#include "exe/PeFormat.h"

#include "kit/Executables.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

using namespace glyphor;
using namespace glyphor::exe;
using namespace glyphor::kit;

namespace {

struct ReasonCase {
    const char* name;
    std::function<Bytes()> file;
    std::string reason; // the whole reason, or its start when it ends in "..."
};

void PrintTo(const ReasonCase& c, std::ostream* os)
{
    *os << c.name;
}

// An image whose PNG stream is damaged after its header: the checksum of
// its image data no longer matches.
Bytes DamagedPng()
{
    IconImage solid;
    solid.width = solid.height = 32;
    solid.pixels.assign(32 * 32, 0xFF336699u);
    solid.mask.assign(solid.pixels.size(), 0);
    Bytes png = MakePng(solid);
    const Bytes idat { 'I', 'D', 'A', 'T' };
    const auto at = std::search(png.begin(), png.end(), idat.begin(), idat.end());
    at[6] ^= 0x55;
    return png;
}

Bytes Dib()
{
    return PatternDib(32, 32, 4, 5);
}

Bytes PeWithGroup(const Bytes& group)
{
    return BuildPe({ { ResId::Id(kGroupIconResourceType), ResId::Id(1), 1033, group },
        { ResId::Id(kIconResourceType), ResId::Id(1), 1033, Dib() } });
}

class IconReason : public ::testing::TestWithParam<ReasonCase> { };

TEST_P(IconReason, SaysWhyTheIconCannotBeHad)
{
    const Bytes file = GetParam().file();
    ASSERT_EQ(IconCountOfBytes(file), 1);
    const Result<IconImage> icon = ExtractIconFromBytes(file, 0);
    ASSERT_FALSE(icon);
    const std::string& want = GetParam().reason;
    if (want.ends_with("..."))
        EXPECT_EQ(icon.message().rfind(want.substr(0, want.size() - 3), 0), 0u) << icon.message();
    else
        EXPECT_EQ(icon.message(), want);
}

INSTANTIATE_TEST_SUITE_P(Cases, IconReason,
    ::testing::Values(ReasonCase { "PeImageBeyondTheEnd", [] { return PeWithImageBeyondTheEnd(); },
                          "image data lies beyond the end of the file" },
        ReasonCase { "PeImageCutShort",
            [] {
                return CutAtImage(PeWithIcon({ { 32, 32, 4, 1 } }, { Dib() }), Dib(), 100);
            },
            "image data runs past the end of the file" },
        ReasonCase { "PeImageNotHeld",
            [] {
                return PeWithIcon({ { 32, 32, 4, 9 } }, { Dib() });
            },
            "group directory names no image that the file holds" },
        ReasonCase { "PeImageResourceEmpty",
            [] {
                return PeWithIcon({ { 32, 32, 4, 1 } }, { Bytes {} });
            },
            "image resource is empty" },
        ReasonCase { "GroupListsNoImages", [] { return PeWithGroup(MakeGroup({})); },
            "group directory lists no images" },
        ReasonCase { "GroupShorterThanItsHeader",
            [] {
                return PeWithGroup(Bytes { 0, 0, 1 });
            },
            "group directory is shorter than its header" },
        ReasonCase { "GroupShorterThanItsFirstEntry",
            [] {
                Bytes group = MakeGroup({ { 32, 32, 4, 1 } });
                group.resize(10);
                return PeWithGroup(group);
            },
            "group directory is shorter than its first entry" },
        ReasonCase { "GroupBeyondTheEnd",
            [] {
                const Bytes group = MakeGroup({ { 32, 32, 4, 1 } });
                return CutAtImage(PeWithGroup(group), group);
            },
            "group directory lies beyond the end of the file" },
        ReasonCase { "DamagedPng",
            [] {
                return PeWithIcon({ { 32, 32, 32, 1 } }, { DamagedPng() });
            },
            "PNG image is damaged: ..." },
        ReasonCase { "UnsupportedDepth", [] { return IconFileOfAnUnreadableImage(); },
            "unsupported depth of 7 bits per pixel" },
        ReasonCase { "IconFileImageBeyondTheEnd",
            [] {
                Bytes ico = MakeIcoFile({ { 32, 32, 4 } }, { Dib() });
                Set32(ico, 6 + offsetof(IconDirEntry, imageOffset), 0x7FFFFFF0u);
                return ico;
            },
            "image data lies beyond the end of the file" },
        ReasonCase { "NeImageNotHeld",
            [] {
                return BuildNe({ { ResId::Id(1), MakeGroup({ { 32, 32, 4, 9 } }) } },
                    { { ResId::Id(1), Dib() } });
            },
            "group directory names no image that the file holds" },
        // The best image is tried first and its reason stands, though the
        // next one fails too; a missing image is never tried.
        ReasonCase { "BestImageReasonStands",
            [] {
                Bytes cut = Dib();
                cut.resize(30);
                Bytes small = PatternDib(16, 16, 4);
                small[offsetof(BitmapInfoHeader, bitCount)] = 7;
                return PeWithIcon(
                    { { 32, 32, 4, 1 }, { 16, 16, 4, 2 }, { 48, 48, 4, 3 } }, { cut, small });
            },
            "image is shorter than its header" }),
    glyphor::kit::RowName());

// An index the file does not have is no damage: it says so in its own words,
// which a harvest never shows (it asks only for the icons the file counts).
TEST(IconReason, AnIndexTheFileLacksIsNotDamage)
{
    const Bytes pe = PeWithOneIcon(1);
    EXPECT_EQ(ExtractIconFromBytes(pe, 1).message(), kNoSuchGroup);
    EXPECT_EQ(ExtractIconFromBytes(pe, -1).message(), kNoSuchGroup);
    EXPECT_EQ(ExtractIconFromBytes(Bytes(100, 0x5A), 0).message(), kNoSuchGroup);
}

} // namespace
