// The original groups rebuilt as icon and cursor files: names as the files
// give them, every image's bytes as stored, the directory from the group's
// entries, and what is left out with why.

#include "exe/GroupFile.h"
#include "exe/CursorFormat.h"
#include "exe/IconExtractor.h"
#include "exe/NeFormat.h"
#include "exe/PeFormat.h"

#include "kit/Executables.h"
#include "kit/GroupFiles.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace glyphor;
using namespace glyphor::exe;
using namespace glyphor::kit;

namespace {

// What one written image should be: its entry's fields (for a cursor the hot
// spot in planes and bit count) and its bytes.
struct WantImage {
    int width;
    int height;
    int colours;
    int planes;
    int bitCount;
    Bytes bytes;
};

struct GroupCase {
    const char* name;
    std::function<Bytes()> file;
    GroupKind kind;
    int index;
    GroupName groupName;
    std::vector<WantImage> images;
    std::vector<LeftOutImage> leftOut;
};

void PrintTo(const GroupCase& c, std::ostream* os)
{
    *os << c.name;
}

const Bytes& Dib16()
{
    static const Bytes b = PatternDib(16, 16, 4, 1);
    return b;
}
const Bytes& Dib32()
{
    static const Bytes b = PatternDib(32, 32, 8, 2);
    return b;
}
const Bytes& Png48()
{
    static const Bytes b = [] {
        IconImage image;
        image.width = image.height = 48;
        image.pixels.assign(48 * 48, 0x80C04020u);
        image.mask.assign(image.pixels.size(), 0);
        return MakePng(image);
    }();
    return b;
}
const Bytes& MonoCursor()
{
    static const Bytes b = PatternDib(32, 32, 1, 3);
    return b;
}

std::uint32_t Size(const Bytes& b)
{
    return static_cast<std::uint32_t>(b.size());
}

// Named groups first, then numbered, each with images of its own; the PNG is
// one of them, as newer programs keep their largest image.
Bytes NamedAndNumbered(bool pe32plus)
{
    return BuildPe(
        {
            { ResId::Id(kGroupIconResourceType), ResId::Id(7), 1033,
                MakeGroup({ { 32, 32, 8, 3 } }) },
            { ResId::Id(kGroupIconResourceType), ResId::Name(u"ICON_FOLDER"), 1033,
                MakeGroup({ { 16, 16, 4, 1 }, { 48, 48, 32, 2 } }) },
            { ResId::Id(kIconResourceType), ResId::Id(1), 1033, Dib16() },
            { ResId::Id(kIconResourceType), ResId::Id(2), 1033, Png48() },
            { ResId::Id(kIconResourceType), ResId::Id(3), 1033, Dib32() },
        },
        pe32plus);
}

// Cursors of 32 x 32 whose group gives the height doubled, as the system's
// resource compiler writes it, or not.
Bytes PeCursors(bool doubled)
{
    const int h = doubled ? 32 : 16;
    Bytes group = MakeCursorGroup({ { 32, h, 5 }, { 32, h, 6 } });
    return BuildPe({
        { ResId::Id(kGroupCursorResourceType), ResId::Name(u"ARROW"), 1033, group },
        { ResId::Id(kCursorResourceType), ResId::Id(5), 1033, CursorImage(3, 4, MonoCursor()) },
        { ResId::Id(kCursorResourceType), ResId::Id(6), 1033, CursorImage(30, 31, Dib32()) },
        // An icon group beside them, which the cursors' read leaves alone.
        { ResId::Id(kGroupIconResourceType), ResId::Id(1), 1033, MakeGroup({ { 16, 16, 4, 1 } }) },
        { ResId::Id(kIconResourceType), ResId::Id(1), 1033, Dib16() },
    });
}

Bytes NeIconsAndCursors(bool claimBytes)
{
    const std::uint32_t dib16 = claimBytes ? Size(Dib16()) : 0;
    const std::uint32_t dib32 = claimBytes ? Size(Dib32()) : 0;
    return BuildNeTypes({
        { kNeGroupIconType,
            { { ResId::Id(2), MakeGroup({ { 32, 32, 8, 2, dib32 } }) },
                { ResId::Name(u"MAIN"), MakeGroup({ { 16, 16, 4, 1, dib16 } }) } } },
        { kNeIconType, { { ResId::Id(1), Dib16() }, { ResId::Id(2), Dib32() } } },
        { kNeGroupCursorType,
            { { ResId::Id(3), MakeCursorGroup({ { 32, 32, 9, Size(MonoCursor()) + 4 } }) } } },
        { kNeCursorType, { { ResId::Id(9), CursorImage(1, 2, MonoCursor()) } } },
    });
}

// The bytes an NE file stores for an image: rounded up to its alignment unit
// of 16 bytes.
Bytes Padded(Bytes b)
{
    b.resize((b.size() + 15) / 16 * 16);
    return b;
}

Bytes Cut(Bytes b, std::size_t n)
{
    b.resize(n);
    return b;
}

class RebuiltGroups : public ::testing::TestWithParam<GroupCase> { };

TEST_P(RebuiltGroups, KeepEveryImageAsStoredAndNameWhatIsLeftOut)
{
    const GroupCase& c = GetParam();
    const Bytes file = c.file();
    const IconSource source(file, c.kind);
    ASSERT_LT(c.index, source.count());
    EXPECT_EQ(source.groupName(c.index), c.groupName);
    const Result<RebuiltGroup> rebuilt = source.originalGroup(c.index);
    ASSERT_TRUE(rebuilt) << rebuilt.message();
    EXPECT_EQ(rebuilt->leftOut, c.leftOut);
    EXPECT_EQ(rebuilt->images, c.images.size());
    EXPECT_EQ(RebuildGroupOfBytes(file, c.index, c.kind)->file, rebuilt->file);
    if (c.images.empty()) {
        EXPECT_TRUE(rebuilt->file.empty());
        return;
    }
    const auto back = ReadGroupFile(rebuilt->file);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->type, c.kind == GroupKind::Icon ? 1 : 2);
    ASSERT_EQ(back->images.size(), c.images.size());
    for (std::size_t i = 0; i < c.images.size(); ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        const WantImage& want = c.images[i];
        const IconDirEntry& e = back->entries[i];
        EXPECT_EQ(e.width, want.width & 0xFF);
        EXPECT_EQ(e.height, want.height & 0xFF);
        EXPECT_EQ(e.colourCount, want.colours);
        EXPECT_EQ(e.planes, want.planes);
        EXPECT_EQ(e.bitCount, want.bitCount);
        EXPECT_EQ(back->images[i], want.bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RebuiltGroups,
    ::testing::Values(
        GroupCase { "PeNamedGroup", [] { return NamedAndNumbered(false); }, GroupKind::Icon, 0,
            GroupName::Name("ICON_FOLDER"),
            { { 16, 16, 16, 1, 4, Dib16() }, { 48, 48, 0, 1, 32, Png48() } }, {} },
        GroupCase { "PeNumberedGroup", [] { return NamedAndNumbered(false); }, GroupKind::Icon,
            1, GroupName::Number(7), { { 32, 32, 0, 1, 8, Dib32() } }, {} },
        GroupCase { "Pe32PlusNamedGroup", [] { return NamedAndNumbered(true); }, GroupKind::Icon,
            0, GroupName::Name("ICON_FOLDER"),
            { { 16, 16, 16, 1, 4, Dib16() }, { 48, 48, 0, 1, 32, Png48() } }, {} },
        GroupCase { "NonAsciiNameAsUtf8",
            [] {
                return BuildPe({ { ResId::Id(kGroupIconResourceType), ResId::Name(u"ÉTÉ€"), 1033,
                                     MakeGroup({ { 16, 16, 4, 1 } }) },
                    { ResId::Id(kIconResourceType), ResId::Id(1), 1033, Dib16() } });
            },
            GroupKind::Icon, 0, GroupName::Name("\xC3\x89T\xC3\x89\xE2\x82\xAC"),
            { { 16, 16, 16, 1, 4, Dib16() } }, {} },
        GroupCase { "MissingImageLeftOut",
            [] { return PeWithIcon({ { 16, 16, 4, 1 }, { 32, 32, 8, 9 } }, { Dib16() }); },
            GroupKind::Icon, 0, GroupName::Number(1), { { 16, 16, 16, 1, 4, Dib16() } },
            { { 1, "group directory names no image that the file holds" } } },
        GroupCase { "ImageBeyondTheEndLeftOut", [] { return PeWithImageBeyondTheEnd(); },
            GroupKind::Icon, 0, GroupName::Number(1), {},
            { { 0, "image data lies beyond the end of the file" } } },
        GroupCase { "ImageCutShortLeftOut",
            [] {
                const Bytes pe = PeWithIcon({ { 16, 16, 4, 1 }, { 32, 32, 8, 2 } }, { Dib16(), Dib32() });
                return CutAtImage(pe, Dib32(), 200);
            },
            GroupKind::Icon, 0, GroupName::Number(1), { { 16, 16, 16, 1, 4, Dib16() } },
            { { 1, "image data runs past the end of the file" } } },
        GroupCase { "DirectoryCutShortNamesTheEntriesItLacks",
            [] {
                Bytes group = MakeGroup({ { 16, 16, 4, 1 }, { 32, 32, 8, 2 }, { 48, 48, 8, 2 } });
                group.resize(6 + 14 + 5);
                return BuildPe({ { ResId::Id(kGroupIconResourceType), ResId::Id(1), 1033, group },
                    { ResId::Id(kIconResourceType), ResId::Id(1), 1033, Dib16() },
                    { ResId::Id(kIconResourceType), ResId::Id(2), 1033, Dib32() } });
            },
            GroupKind::Icon, 0, GroupName::Number(1), { { 16, 16, 16, 1, 4, Dib16() } },
            { { 1, "group directory ends before the image's entry" },
                { 2, "group directory ends before the image's entry" } } },
        // A damaged image that is all there is written as stored: the rebuild
        // copies bytes, it does not judge pictures.
        GroupCase { "UndecodableImageKept",
            [] { return PeWithIcon({ { 32, 32, 8, 1 } }, { Cut(Dib32(), 30) }); },
            GroupKind::Icon, 0, GroupName::Number(1), { { 32, 32, 0, 1, 8, Cut(Dib32(), 30) } },
            {} },
        GroupCase { "NeNamedGroupTrimmedToItsClaim", [] { return NeIconsAndCursors(true); },
            GroupKind::Icon, 0, GroupName::Name("MAIN"), { { 16, 16, 16, 1, 4, Dib16() } }, {} },
        GroupCase { "NeNumberedGroupTrimmedToItsClaim", [] { return NeIconsAndCursors(true); },
            GroupKind::Icon, 1, GroupName::Number(2), { { 32, 32, 0, 1, 8, Dib32() } }, {} },
        // Without a size in the group entry the padding cannot be told from
        // the image, and every stored byte is kept.
        GroupCase { "NeWithoutClaimKeepsItsPadding", [] { return NeIconsAndCursors(false); },
            GroupKind::Icon, 1, GroupName::Number(2), { { 32, 32, 0, 1, 8, Padded(Dib32()) } },
            {} },
        GroupCase { "PeCursorsWithHotSpots", [] { return PeCursors(true); }, GroupKind::Cursor, 0,
            GroupName::Name("ARROW"),
            { { 32, 32, 0, 3, 4, MonoCursor() }, { 32, 32, 0, 30, 31, Dib32() } }, {} },
        // Other resource compilers write the cursor's height itself, which
        // the image's header confirms.
        GroupCase { "PeCursorHeightNotDoubled", [] { return PeCursors(false); },
            GroupKind::Cursor, 0, GroupName::Name("ARROW"),
            { { 32, 32, 0, 3, 4, MonoCursor() }, { 32, 32, 0, 30, 31, Dib32() } }, {} },
        GroupCase { "NeCursor", [] { return NeIconsAndCursors(true); }, GroupKind::Cursor, 0,
            GroupName::Number(3), { { 32, 32, 0, 1, 2, MonoCursor() } }, {} },
        GroupCase { "CursorShorterThanItsHotSpot",
            [] {
                return BuildPe({ { ResId::Id(kGroupCursorResourceType), ResId::Id(4), 1033,
                                     MakeCursorGroup({ { 32, 32, 5 }, { 32, 32, 6 } }) },
                    { ResId::Id(kCursorResourceType), ResId::Id(5), 1033, Bytes { 1, 0 } },
                    { ResId::Id(kCursorResourceType), ResId::Id(6), 1033,
                        CursorImage(0, 0, MonoCursor()) } });
            },
            GroupKind::Cursor, 0, GroupName::Number(4), { { 32, 32, 0, 0, 0, MonoCursor() } },
            { { 0, "cursor image is shorter than its hot spot" } } },
        GroupCase { "IconFileHasNoName",
            [] { return MakeIcoFile({ { 16, 16, 4 }, { 32, 32, 8 } }, { Dib16(), Dib32() }); },
            GroupKind::Icon, 0, GroupName {},
            { { 16, 16, 0, 1, 4, Dib16() }, { 32, 32, 0, 1, 8, Dib32() } }, {} }),
    glyphor::kit::RowName());

// A group whose directory cannot be read gives no file but the reason; an
// index the file lacks is told apart from damage.
TEST(RebuiltGroups, ADamagedDirectoryIsAFailureWithItsReason)
{
    const Bytes group = MakeGroup({ { 16, 16, 4, 1 } });
    const Bytes pe
        = CutAtImage(BuildPe({ { ResId::Id(kGroupIconResourceType), ResId::Id(1), 1033, group },
                         { ResId::Id(kIconResourceType), ResId::Id(1), 1033, Dib16() } }),
            group);
    const IconSource source(pe);
    ASSERT_EQ(source.count(), 1);
    EXPECT_EQ(source.originalGroup(0).message(), "group directory lies beyond the end of the file");
    EXPECT_EQ(source.originalGroup(1).message(), kNoSuchGroup);
    EXPECT_EQ(source.originalGroup(-1).message(), kNoSuchGroup);
}

// One large image named again and again by a damaged directory: the file
// stops at its cap, and the images past it are named.
TEST(RebuiltGroups, AGroupStopsAtItsCap)
{
    const Bytes large(4u << 20, 0x42);
    std::vector<GroupEntry> entries(20, GroupEntry { 32, 32, 32, 1 });
    const Bytes pe = PeWithIcon(entries, { large });
    const Result<RebuiltGroup> rebuilt = RebuildGroupOfBytes(pe, 0);
    ASSERT_TRUE(rebuilt);
    EXPECT_LE(rebuilt->file.size(), kMaxGroupFileBytes);
    EXPECT_EQ(rebuilt->images, 15u);
    ASSERT_EQ(rebuilt->leftOut.size(), 5u);
    EXPECT_EQ(rebuilt->leftOut.front(), (LeftOutImage { 15, "group is larger than 64 MB" }));
    const auto back = ReadGroupFile(rebuilt->file);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->images.back(), large);
}

// Where a resource is cut, and why.
struct ClampCase {
    const char* name;
    std::uint64_t offset;
    std::uint64_t length;
    std::uint64_t fileSize;
    ImageRange range;
    Flaw flaw;
};

class Clamp : public ::testing::TestWithParam<ClampCase> { };

TEST_P(Clamp, CutsAtTheEndAndAtTheCapAndSaysWhere)
{
    const ClampCase& c = GetParam();
    const FoundImage found = ClampImage(c.offset, c.length, c.fileSize);
    EXPECT_EQ(found.range, c.range);
    EXPECT_EQ(found.flaw, c.flaw);
}

INSTANTIATE_TEST_SUITE_P(Cases, Clamp,
    ::testing::Values(ClampCase { "Whole", 10, 20, 100, { 10, 20 }, Flaw::None },
        ClampCase { "EndsAtTheEnd", 80, 20, 100, { 80, 20 }, Flaw::None },
        ClampCase { "PastTheEnd", 90, 20, 100, { 90, 10 }, Flaw::PastEnd },
        ClampCase { "AtTheEnd", 100, 20, 100, {}, Flaw::BeyondEnd },
        ClampCase { "NoBytes", 10, 0, 100, {}, Flaw::Empty },
        ClampCase { "HugeOffset", UINT64_MAX, UINT64_MAX, 100, {}, Flaw::BeyondEnd },
        ClampCase { "LargerThanTheCap", 0, kMaxImageBytes + 1, kMaxImageBytes * 2,
            { 0, kMaxImageBytes }, Flaw::TooLarge }),
    glyphor::kit::RowName());

} // namespace
