#include "iconfile/IconFileWriter.h"

#include "kit/ErrorOf.h"
#include "kit/Files.h"
#include "kit/IconImages.h"
#include "util/Error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/resource.h>

namespace glyphor {
namespace {

using kit::Bytes;

// A 32 x 32 opaque icon of one colour.
IconImage Plain(std::uint32_t rgb = 0xFFFFFF, int w = 32, int h = 32)
{
    IconImage icon;
    icon.width = w;
    icon.height = h;
    icon.pixels.assign(static_cast<std::size_t>(w) * h, 0xFF000000u | rgb);
    icon.mask.assign(icon.pixels.size(), 0);
    return icon;
}

void Set(IconImage& icon, int x, int y, std::uint32_t rgb)
{
    icon.pixels[static_cast<std::size_t>(y) * icon.width + x] = 0xFF000000u | rgb;
}

void Mask(IconImage& icon, int x, int y)
{
    icon.mask[static_cast<std::size_t>(y) * icon.width + x] = 1;
}

using kit::ErrorOf;

TEST(IconFileWriter, HeaderDirectoryInfoHeaderAndTableAreExact)
{
    const Bytes bytes = EncodeIconFile(Plain());
    ASSERT_EQ(bytes.size(), 766u);
    const Bytes first46 = { 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x20, 0x20, 0x04, 0x00, 0x00, 0x00,
        0x00, 0x00, 0xE8, 0x02, 0x00, 0x00, 0x16, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x20,
        0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x01, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x02, 0x00, 0x00 };
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 46), first46);
    EXPECT_EQ(Bytes(bytes.begin() + 46, bytes.begin() + 62), Bytes(16, 0));
    const Bytes table = { 0x00, 0x00, 0x00, 0, 0x00, 0x00, 0x80, 0, 0x00, 0x80, 0x00, 0, 0x00, 0x80,
        0x80, 0, 0x80, 0x00, 0x00, 0, 0x80, 0x00, 0x80, 0, 0x80, 0x80, 0x00, 0, 0x80, 0x80, 0x80, 0,
        0xC0, 0xC0, 0xC0, 0, 0x00, 0x00, 0xFF, 0, 0x00, 0xFF, 0x00, 0, 0x00, 0xFF, 0xFF, 0, 0xFF,
        0x00, 0x00, 0, 0xFF, 0x00, 0xFF, 0, 0xFF, 0xFF, 0x00, 0, 0xFF, 0xFF, 0xFF, 0 };
    EXPECT_EQ(Bytes(bytes.begin() + 62, bytes.begin() + 126), table);
    // White everywhere: every colour byte is index 15 twice, no mask bit set.
    EXPECT_EQ(Bytes(bytes.begin() + 126, bytes.begin() + 638), Bytes(512, 0xFF));
    EXPECT_EQ(Bytes(bytes.begin() + 638, bytes.end()), Bytes(128, 0x00));
}

TEST(IconFileWriter, ColourBitsBottomRowFirstHighNibbleLeft)
{
    IconImage icon = Plain(0x000000);
    Set(icon, 0, 31, 0xFF0000); // bottom-left: red, index 9
    Set(icon, 1, 31, 0x0000FF); // its right neighbour: blue, index 12
    Set(icon, 31, 31, 0x00FF00); // bottom-right: lime, index 10, low nibble of byte 15
    Set(icon, 0, 0, 0xFFFFFF); // top-left: white, index 15, in the last row written
    Set(icon, 2, 30, 0x7F7F7F); // second row from the bottom: nearest grey, index 7
    const Bytes bytes = EncodeIconFile(icon);
    EXPECT_EQ(bytes[126], 0x9C);
    EXPECT_EQ(bytes[126 + 15], 0x0A);
    EXPECT_EQ(bytes[126 + 16 + 1], 0x70);
    EXPECT_EQ(bytes[126 + 31 * 16], 0xF0);
}

TEST(IconFileWriter, MaskBitsBottomRowFirstMostSignificantBitLeft)
{
    IconImage icon = Plain();
    Mask(icon, 0, 31);
    Mask(icon, 9, 31);
    Mask(icon, 31, 0);
    Mask(icon, 8, 1);
    const Bytes bytes = EncodeIconFile(icon);
    EXPECT_EQ(bytes[638], 0x80);
    EXPECT_EQ(bytes[639], 0x40);
    EXPECT_EQ(bytes[638 + 30 * 4 + 1], 0x80);
    EXPECT_EQ(bytes[765], 0x01);
    // The colour of a masked pixel is written as it stands.
    EXPECT_EQ(bytes[126], 0xFF);
}

struct Geometry {
    int w, h;
    std::uint32_t colourRow, maskRow;
};

TEST(IconFileWriter, OtherSizesFollowTheGeneralRules)
{
    for (const Geometry g : { Geometry { 1, 1, 4, 4 }, Geometry { 16, 16, 8, 4 },
             Geometry { 33, 7, 20, 8 }, Geometry { 300, 2, 152, 40 } }) {
        SCOPED_TRACE(std::to_string(g.w) + "x" + std::to_string(g.h));
        const Bytes b = EncodeIconFile(Plain(0, g.w, g.h));
        const std::uint32_t image = 104 + (g.colourRow + g.maskRow) * g.h;
        ASSERT_EQ(b.size(), 22 + image);
        EXPECT_EQ(b[6], g.w % 256);
        EXPECT_EQ(b[7], g.h % 256);
        auto u32
            = [&](int at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24; };
        EXPECT_EQ(u32(14), image);
        EXPECT_EQ(u32(26), static_cast<std::uint32_t>(g.w));
        EXPECT_EQ(u32(30), static_cast<std::uint32_t>(2 * g.h));
        EXPECT_EQ(u32(42), g.colourRow * g.h);
    }
}

TEST(IconFileWriter, SameIconSameBytesAlphaIgnored)
{
    IconImage a = Plain(0x123456);
    Set(a, 5, 5, 0xFF00FF);
    IconImage b = a;
    for (auto& p : b.pixels)
        p &= 0x00FFFFFFu;
    EXPECT_EQ(EncodeIconFile(a), EncodeIconFile(a));
    EXPECT_EQ(EncodeIconFile(a), EncodeIconFile(b));
}

TEST(IconFileWriter, TopRowsAndTransparencyLieBeyondTheFirst500Bytes)
{
    const IconImage base = Plain(0x808080);
    IconImage topRows = base;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 32; ++x)
            Set(topRows, x, y, 0xFF0000);
    // The 24th row from the bottom (y = 8): its 12 leftmost pixels lie inside
    // the first 500 bytes, the rest beyond.
    for (int x = 12; x < 32; ++x)
        Set(topRows, x, 8, 0xFF0000);
    IconImage transparency = base;
    for (std::size_t i = 0; i < transparency.mask.size(); i += 3)
        transparency.mask[i] = 1;

    const Bytes a = EncodeIconFile(base);
    for (const IconImage& other : { topRows, transparency }) {
        const Bytes b = EncodeIconFile(other);
        EXPECT_NE(a, b);
        EXPECT_TRUE(std::equal(a.begin(), a.begin() + 500, b.begin()));
    }
    IconImage inside = base;
    Set(inside, 11, 8, 0xFF0000);
    const Bytes c = EncodeIconFile(inside);
    EXPECT_FALSE(std::equal(a.begin(), a.begin() + 500, c.begin()));
}

TEST(IconFileWriter, WritesTheBytesAndLeavesNothingElse)
{
    kit::ScratchFolder dir;
    const std::string path = dir.file("Icon0000.ico");
    IconImage icon = Plain(0x00FFFF);
    WriteIconFile(icon, path);
    EXPECT_EQ(kit::ReadBytes(path), EncodeIconFile(icon));
    EXPECT_EQ(dir.names(), std::vector<std::string> { "Icon0000.ico" });
}

// Nothing under the name is ever replaced: a file another program has just
// written there, or a link named like an icon file, even one that points
// nowhere (the kinds of entry are the rename's own test).
TEST(IconFileWriter, AnExistingNameIsNeverReplaced)
{
    kit::ScratchFolder dir;
    const std::string file = dir.file("file.ico");
    kit::WriteBytes(file, Bytes(2000, 0xAA));
    const std::string dangling = dir.file("dangling.ico");
    std::filesystem::create_symlink(dir.file("nowhere"), dangling);
    for (const std::string& path : { file, dangling })
        EXPECT_EQ(ErrorOf([&] { WriteIconFile(Plain(), path); }),
            "Cannot create file " + path + ": File exists");
    EXPECT_EQ(kit::ReadBytes(file), Bytes(2000, 0xAA));
    EXPECT_EQ(dir.names(), (std::vector<std::string> { "dangling.ico", "file.ico" }));
}

// A name taken by the time the file is complete is passed over for the next
// one the caller gives; a caller that raises leaves nothing behind.
TEST(IconFileWriter, ANameTakenMeanwhileGivesWayToTheNext)
{
    kit::ScratchFolder dir;
    kit::WriteBytes(dir.file("Icon0000.ico"), Bytes(766, 0x55));
    std::vector<std::string> offered;
    const std::string written
        = WriteNewIconFile(Plain(0xFF0000), [&]() -> std::optional<std::string> {
              offered.push_back(dir.file("Icon000" + std::to_string(offered.size()) + ".ico"));
              return offered.back();
          });
    EXPECT_EQ(written, dir.file("Icon0001.ico"));
    EXPECT_EQ(offered.size(), 2u);
    EXPECT_EQ(kit::ReadBytes(dir.file("Icon0000.ico")), Bytes(766, 0x55));
    EXPECT_EQ(kit::ReadBytes(written), EncodeIconFile(Plain(0xFF0000)));

    int calls = 0;
    EXPECT_EQ(ErrorOf([&] {
        WriteNewIconFile(Plain(), [&]() -> std::optional<std::string> {
            if (++calls == 2)
                throw Error("No free icon file name left");
            return dir.file("Icon0000.ico");
        });
    }),
        "No free icon file name left");
    EXPECT_EQ(dir.names(), (std::vector<std::string> { "Icon0000.ico", "Icon0001.ico" }));
}

TEST(IconFileWriter, EmptyIconIsRefusedBeforeAnyFileExists)
{
    kit::ScratchFolder dir;
    IconImage inconsistent = Plain();
    inconsistent.mask.pop_back();
    for (const IconImage& icon : { IconImage {}, inconsistent }) {
        EXPECT_EQ(
            ErrorOf([&] { WriteIconFile(icon, dir.file("a.ico")); }), "Icon image is not valid");
        EXPECT_TRUE(dir.names().empty());
    }
}

TEST(IconFileWriter, UncreatableFileNamesThePathAndTheReason)
{
    kit::ScratchFolder dir;
    const std::string missing = dir.file("no-such-folder/a.ico");
    EXPECT_EQ(ErrorOf([&] { WriteIconFile(Plain(), missing); }),
        "Cannot create file " + missing + ": No such file or directory");
    EXPECT_TRUE(dir.names().empty());
}

TEST(IconFileWriter, ShortWriteNamesThePathAndLeavesNoTemporary)
{
    kit::ScratchFolder dir;
    const std::string path = dir.file("Icon0001.ico");

    // A file size limit below 766 bytes makes the write come up short.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 300;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string error = ErrorOf([&] { WriteIconFile(Plain(), path); });
    ::setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_EQ(error, "Stream write error: " + path + ": File too large");
    EXPECT_TRUE(dir.names().empty());
}

} // namespace
} // namespace glyphor
