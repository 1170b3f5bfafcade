#include "exe/Thumbnail.h"

#include "iconfile/ImageDecoder.h"
#include "kit/Executables.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

using namespace glyphor;
using namespace glyphor::exe;
using namespace glyphor::files;
using namespace glyphor::kit;

namespace {

// A PNG whose bytes the program's encoder would never write: an ancillary
// text chunk sits before the end, so a pass-through is told from a re-encode.
Bytes PngWithComment(int side)
{
    IconImage icon;
    icon.width = icon.height = side;
    icon.hasAlpha = true;
    for (int i = 0; i < side * side; ++i) {
        icon.pixels.push_back(0x80000000u | static_cast<std::uint32_t>(i * 2654435761u & 0xFFFFFF));
        icon.mask.push_back(0);
    }
    Bytes png = MakePng(icon);
    const std::string text("Comment\0drawn for the test", 26);
    Bytes chunk = { 0, 0, 0, static_cast<std::uint8_t>(text.size()), 't', 'E', 'X', 't' };
    chunk.insert(chunk.end(), text.begin(), text.end());
    const uLong crc = crc32(0, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4));
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.push_back(static_cast<std::uint8_t>(crc >> shift));
    png.insert(png.end() - 12, chunk.begin(), chunk.end()); // before IEND
    return png;
}

// One group of images numbered 1, 2, ... in the order given, then a second
// group that must never be looked at.
Bytes Executable(const std::vector<GroupEntry>& entries, const std::vector<Bytes>& images)
{
    std::vector<PeResource> res = IconResources(entries, images);
    res.push_back({ ResId::Id(kGroupIconResourceType), ResId::Id(2), 1033,
        MakeGroup({ { 64, 64, 32, 99 } }) });
    res.push_back({ ResId::Id(kIconResourceType), ResId::Id(99), 1033, PatternDib(64, 64, 32) });
    return BuildPe(res);
}

// 16, 32 (4 and 32 bits), 48 and a 256-pixel PNG, as real icons hold them.
const Bytes& FourSizes()
{
    static const Bytes file = Executable({ { 16, 16, 4, 1 }, { 32, 32, 4, 2 }, { 32, 32, 32, 3 },
                                             { 48, 48, 32, 4 }, { 256, 256, 32, 5 } },
        { PatternDib(16, 16, 4), PatternDib(32, 32, 4), PatternDib(32, 32, 32, 1),
            PatternDib(48, 48, 32), PngWithComment(256) });
    return file;
}

IconImage DecodeOutput(const Bytes& png)
{
    Result<IconImage> image = DecodePng(png);
    EXPECT_TRUE(image) << (image ? "" : image.message());
    return image ? *image : IconImage {};
}

struct SizeCase {
    const char* name;
    int size;
    int width; // of the image written
};

class ThumbnailSize : public ::testing::TestWithParam<SizeCase> { };

// The smallest image at least that wide, scaled down to the size asked, else
// the largest at its own size: never larger than asked.
TEST_P(ThumbnailSize, IsTheSizeAskedOrTheLargestImageWhenThatIsSmaller)
{
    Result<Bytes> png = MakeThumbnail(FourSizes(), GetParam().size);
    ASSERT_TRUE(png) << png.message();
    const IconImage out = DecodeOutput(*png);
    EXPECT_EQ(out.width, GetParam().width);
    EXPECT_EQ(out.height, GetParam().width);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ThumbnailSize,
    ::testing::Values(SizeCase { "One", 1, 1 }, SizeCase { "Exactly16", 16, 16 },
        SizeCase { "Just above 16", 17, 17 }, SizeCase { "Exactly32", 32, 32 },
        SizeCase { "Between48And256", 128, 128 }, SizeCase { "Exactly256", 256, 256 },
        SizeCase { "LargerThanAny", 1024, 256 }),
    [](const auto& info) {
        std::string name = info.param.name;
        std::erase(name, ' ');
        return name;
    });

TEST(Thumbnail, PassesAPngImageOnByteForByte)
{
    Result<Bytes> png = MakeThumbnail(FourSizes(), 256);
    ASSERT_TRUE(png);
    EXPECT_EQ(*png, PngWithComment(256));
}

// Halved, each pixel of the 256-pixel PNG's picture is the mean of a block of
// four (their alpha is one and the same, so premultiplying changes nothing);
// the picture is encoded anew, as the file holds no PNG of that size.
TEST(Thumbnail, ALargerImageIsScaledDownByTheMeanOfTheAreaItCovers)
{
    Result<Bytes> png = MakeThumbnail(FourSizes(), 128);
    ASSERT_TRUE(png);
    EXPECT_NE(*png, PngWithComment(256));
    const IconImage out = DecodeOutput(*png);
    const IconImage in = DecodeOutput(PngWithComment(256));
    ASSERT_EQ(out.width, 128);
    for (const auto& [x, y] : { std::pair(0, 0), std::pair(17, 90), std::pair(127, 127) }) {
        std::uint32_t expected = 0x80000000u;
        for (int shift : { 0, 8, 16 }) {
            std::uint32_t sum = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    sum += in.pixel(2 * x + dx, 2 * y + dy) >> shift & 0xFF;
            expected |= (sum + 2) / 4 << shift;
        }
        EXPECT_EQ(out.pixel(x, y), expected) << x << "," << y;
    }
}

// A bitmap image larger than asked, by an uneven ratio, and one that is not
// square: the longer side becomes the size asked and the aspect stays.
TEST(Thumbnail, ABitmapImageIsScaledDownWithItsAspectKept)
{
    const struct {
        const char* name;
        int width, height, size;
        int outWidth, outHeight;
    } cases[] = {
        { "square, uneven ratio", 64, 64, 40, 40, 40 },
        { "wide", 64, 32, 16, 16, 8 },
    };
    for (const auto& c : cases) {
        const Bytes file
            = Executable({ { c.width, c.height, 32, 1 } }, { PatternDib(c.width, c.height, 32) });
        Result<Bytes> png = MakeThumbnail(file, c.size);
        ASSERT_TRUE(png) << c.name << ": " << png.message();
        const IconImage out = DecodeOutput(*png);
        EXPECT_EQ(out.width, c.outWidth) << c.name;
        EXPECT_EQ(out.height, c.outHeight) << c.name;
    }
}

TEST(Thumbnail, TakesTheDeepestOfImagesOfOneWidth)
{
    // The two 32-pixel images hold different pictures, so the pixels tell
    // which one was taken.
    const IconImage out = DecodeOutput(*MakeThumbnail(FourSizes(), 32));
    Result<IconImage> deep = DecodeDib(PatternDib(32, 32, 32, 1), DibLayout::Resource);
    ASSERT_TRUE(deep);
    for (int i : { 0, 33, 1023 })
        EXPECT_EQ(out.pixels[i] & 0xFFFFFF, deep->pixels[i] & 0xFFFFFF) << i;
}

TEST(Thumbnail, KeepsTheMaskAndTheAlphaChannel)
{
    auto holeAtTopLeft = [](int x, int y) { return x < 4 && y < 2; };
    const Bytes masked = MakeDib(
        16, 16, 4, [](int x, int) { return std::uint32_t(x % 16); }, holeAtTopLeft);
    const Bytes alpha = MakeDib(
        16, 16, 32, [](int x, int y) { return std::uint32_t((x * 16 + y) << 24) | 0x123456u; },
        [](int, int) { return false; });

    const IconImage a
        = DecodeOutput(*MakeThumbnail(Executable({ { 16, 16, 4, 1 } }, { masked }), 16));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(a.pixel(x, y) >> 24, holeAtTopLeft(x, y) ? 0u : 255u) << x << "," << y;

    const IconImage b
        = DecodeOutput(*MakeThumbnail(Executable({ { 16, 16, 32, 1 } }, { alpha }), 16));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(b.pixel(x, y), std::uint32_t((x * 16 + y) << 24) | 0x123456u)
                << x << "," << y;
}

TEST(Thumbnail, ADamagedBestImageFallsBackToItsNeighbour)
{
    Bytes brokenPng = PngWithComment(48);
    brokenPng.resize(brokenPng.size() / 2);
    Bytes brokenDib = PatternDib(48, 48, 32);
    brokenDib[14] = 7; // no such depth
    for (const Bytes& broken : { brokenPng, brokenDib }) {
        const Bytes file = Executable({ { 16, 16, 32, 1 }, { 48, 48, 32, 2 }, { 32, 32, 32, 3 } },
            { PatternDib(16, 16, 32), broken, PatternDib(32, 32, 32) });
        // 40 wants the 48, which is damaged: the next wider one does not exist,
        // so the largest narrower one, 32, stands in.
        Result<Bytes> png = MakeThumbnail(file, 40);
        ASSERT_TRUE(png) << png.message();
        EXPECT_EQ(DecodeOutput(*png).width, 32);
    }
}

TEST(Thumbnail, HostileFilesAreRefusedCleanly)
{
    Bytes broken = PatternDib(32, 32, 4);
    broken.resize(20);
    struct Case {
        const char* name;
        Bytes file;
        const char* message;
    };
    const Case cases[] = {
        { "empty", {}, kNoIconsText },
        { "not an executable", Bytes(4096, 'x'), kNoIconsText },
        { "no icon groups",
            BuildPe(
                { { ResId::Id(kIconResourceType), ResId::Id(1), 1033, PatternDib(16, 16, 4) } }),
            kNoIconsText },
        { "every image damaged", Executable({ { 32, 32, 4, 1 } }, { broken }), kImageNotValidText },
        { "images missing", Executable({ { 32, 32, 4, 7 } }, {}), kImageNotValidText },
    };
    for (const Case& c : cases) {
        Result<Bytes> png = MakeThumbnail(c.file, 32);
        ASSERT_FALSE(png) << c.name;
        EXPECT_EQ(png.message(), c.message) << c.name;
    }
    // Cut anywhere, the file gives a PNG that decodes or a failure, and never
    // reads outside its bytes (the sanitizer build watches that).
    const Bytes& whole = FourSizes();
    for (std::size_t cut = 0; cut < whole.size(); cut += 97) {
        Result<Bytes> png = MakeThumbnail(std::span(whole).first(cut), 48);
        if (png) {
            EXPECT_TRUE(DecodePng(*png)) << cut;
        }
    }
}

} // namespace
