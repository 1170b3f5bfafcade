#include "iconfile/ImageDecoder.h"

#include "kit/IconImages.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>

#include <png.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <string>

namespace glyphor {
namespace {

using kit::Bytes;
using kit::DibRecipe;
using kit::MakeDib;
using kit::MakePng;
using kit::PngRecipe;

const std::vector<std::uint32_t> kTable
    = { 0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x123456, 0x808080, 0xABCDEF };

// Depth-independent picture: the colour of (x, y) as a table index, and a
// mask along the diagonal.
DibRecipe Pattern(int bpp, int w = 32, int h = 32)
{
    DibRecipe s;
    s.width = w;
    s.height = h;
    s.bpp = bpp;
    s.table = kTable;
    const int colours = bpp == 1 ? 2 : 8;
    if (bpp <= 8)
        s.value
            = [colours](int x, int y) { return static_cast<std::uint32_t>((x + 3 * y) % colours); };
    else
        s.value = [](int x, int y) { return 0xFF000000u | kTable[(x + 3 * y) % 8]; };
    s.masked = [](int x, int y) { return x == y; };
    return s;
}

class DepthTest : public ::testing::TestWithParam<int> { };

TEST_P(DepthTest, EveryPixelAndMaskBitInBothLayouts)
{
    const int bpp = GetParam();
    // An odd width exercises the row padding of every depth.
    const DibRecipe recipe = Pattern(bpp, 19, 13);
    for (DibLayout layout : { DibLayout::IconFile, DibLayout::Resource }) {
        auto img = DecodeDib(MakeDib(recipe), layout);
        ASSERT_TRUE(img) << img.message();
        ASSERT_EQ(img->width, 19);
        ASSERT_EQ(img->height, 13);
        EXPECT_EQ(img->hasAlpha, bpp == 32); // opaque alpha is still an alpha channel
        const int colours = bpp == 1 ? 2 : 8;
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 19; ++x) {
                ASSERT_EQ(img->pixel(x, y), 0xFF000000u | kTable[(x + 3 * y) % colours])
                    << x << "," << y;
                ASSERT_EQ(img->transparent(x, y), x == y) << x << "," << y;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(ImageDecoder, DepthTest, ::testing::Values(1, 4, 8, 24, 32));

TEST(ImageDecoder, ThirtyTwoBitAlphaDecidesWhetherThereIsAnAlphaChannel)
{
    DibRecipe s = Pattern(32, 4, 4);
    s.value = [](int x, int) { return (x == 0 ? 0x40000000u : 0xFF000000u) | 0x102030u; };
    auto withAlpha = DecodeDib(MakeDib(s), DibLayout::IconFile);
    ASSERT_TRUE(withAlpha);
    EXPECT_TRUE(withAlpha->hasAlpha);
    EXPECT_EQ(withAlpha->pixel(0, 1), 0x40102030u);

    // Alpha 0 everywhere: no alpha channel, the colours are opaque.
    s.value = [](int, int) { return 0x00102030u; };
    auto noAlpha = DecodeDib(MakeDib(s), DibLayout::IconFile);
    ASSERT_TRUE(noAlpha);
    EXPECT_FALSE(noAlpha->hasAlpha);
    EXPECT_EQ(noAlpha->pixel(1, 1), 0xFF102030u);
    EXPECT_TRUE(noAlpha->transparent(2, 2));

    // Without its AND mask a 32-bit image still decodes; nothing is masked.
    s.withMask = false;
    auto noMask = DecodeDib(MakeDib(s), DibLayout::IconFile);
    ASSERT_TRUE(noMask);
    EXPECT_FALSE(noMask->transparent(2, 2));
}

TEST(ImageDecoder, IconFileLayoutIgnoresBiSizeAndBiClrUsed)
{
    // biClrUsed 2 on an 8-bit image: the icon file's reader still takes 256
    // entries at byte 40.
    DibRecipe s = Pattern(8, 4, 4);
    s.clrUsed = 2;
    auto img = DecodeDib(MakeDib(s), DibLayout::IconFile);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->pixel(3, 0), 0xFF000000u | kTable[3]);
}

TEST(ImageDecoder, ResourceLayoutHonoursBiSizeAndBiClrUsed)
{
    // A 2-entry table for an 8-bit image, and a larger header (as a V5 one).
    DibRecipe s = Pattern(8, 4, 4);
    s.clrUsed = 2;
    s.tableEntries = 2;
    s.biSize = 124;
    auto img = DecodeDib(MakeDib(s), DibLayout::Resource);
    ASSERT_TRUE(img) << img.message();
    EXPECT_EQ(img->pixel(1, 0), 0xFF000000u | kTable[1]);
    // Indexes past the stored table are black.
    EXPECT_EQ(img->pixel(3, 0), 0xFF000000u);

    DibRecipe tooMany = Pattern(8, 4, 4);
    tooMany.clrUsed = 300;
    EXPECT_FALSE(DecodeDib(MakeDib(tooMany), DibLayout::Resource));
    DibRecipe small = Pattern(8, 4, 4);
    small.biSize = 12;
    EXPECT_FALSE(DecodeDib(MakeDib(small), DibLayout::Resource));
}

// 16-bit images: 5-5-5 without bit fields, otherwise as the masks say; each
// channel scaled to 0..255. The AND mask decides transparency.
struct SixteenBit {
    const char* name;
    std::vector<std::uint32_t> bitFields;
    std::uint32_t pixel;
    std::uint32_t rgb;
};

void PrintTo(const SixteenBit& c, std::ostream* os)
{
    *os << c.name;
}

class SixteenBitTest : public ::testing::TestWithParam<SixteenBit> { };

TEST_P(SixteenBitTest, ChannelsAreScaledToEightBits)
{
    const SixteenBit& c = GetParam();
    DibRecipe s = Pattern(16, 3, 2);
    s.bitFields = c.bitFields;
    s.value = [&](int x, int) { return x == 1 ? c.pixel : 0u; };
    for (DibLayout layout : { DibLayout::IconFile, DibLayout::Resource }) {
        auto img = DecodeDib(MakeDib(s), layout);
        ASSERT_TRUE(img) << img.message();
        EXPECT_FALSE(img->hasAlpha);
        EXPECT_EQ(img->pixel(1, 0), 0xFF000000u | c.rgb);
        EXPECT_EQ(img->pixel(1, 1), 0xFF000000u | c.rgb);
        EXPECT_EQ(img->pixel(0, 1), 0xFF000000u);
        EXPECT_TRUE(img->transparent(1, 1));
        EXPECT_FALSE(img->transparent(0, 1));
    }
}

const std::vector<std::uint32_t> k565 = { 0xF800, 0x07E0, 0x001F };

INSTANTIATE_TEST_SUITE_P(ImageDecoder, SixteenBitTest,
    ::testing::Values(SixteenBit { "Red555", {}, 0x7C00, 0xFF0000 },
        SixteenBit { "Green555", {}, 0x03E0, 0x00FF00 },
        SixteenBit { "Blue555", {}, 0x001F, 0x0000FF },
        // 16 of 31 is 131.6, and the top bit of 5-5-5 is unused.
        SixteenBit { "Middle555", {}, 0x8000 | (16 << 10) | (16 << 5) | 16, 0x848484 },
        SixteenBit { "Red565", k565, 0xF800, 0xFF0000 },
        SixteenBit { "Green565", k565, 0x07E0, 0x00FF00 },
        // 32 of 63 is 129.5 in the six bits of green.
        SixteenBit { "Middle565", k565, (16 << 11) | (32 << 5) | 16, 0x848284 },
        SixteenBit { "Explicit555", { 0x7C00, 0x03E0, 0x001F }, 0x7FFF, 0xFFFFFF }),
    glyphor::kit::RowName());

// A 16-bit image with a longer header keeps its masks inside it; a resource
// is read as the header says.
TEST(ImageDecoder, SixteenBitMasksInsideALongerHeader)
{
    DibRecipe s = Pattern(16, 2, 2);
    s.biSize = 108;
    s.value = [](int, int) { return 0xF800u; };
    Bytes b = MakeDib(s);
    kit::Set32(b, 16, 3);
    kit::Set32(b, 40, 0xF800);
    kit::Set32(b, 44, 0x07E0);
    kit::Set32(b, 48, 0x001F);
    auto img = DecodeDib(b, DibLayout::Resource);
    ASSERT_TRUE(img) << img.message();
    EXPECT_EQ(img->pixel(0, 0), 0xFFFF0000u);
}

struct Damage {
    const char* name;
    std::function<Bytes()> bytes;
};

void PrintTo(const Damage& d, std::ostream* os)
{
    *os << d.name;
}

class DamagedDib : public ::testing::TestWithParam<Damage> { };

TEST_P(DamagedDib, IsRefusedInBothLayouts)
{
    const Bytes bytes = GetParam().bytes();
    for (DibLayout layout : { DibLayout::IconFile, DibLayout::Resource }) {
        auto img = DecodeIconImage(bytes, layout);
        ASSERT_FALSE(img);
        // The reason alone: the reader of the file words the failure around it.
        EXPECT_FALSE(img.message().empty() || img.message().starts_with("Icon image"))
            << img.message();
    }
}

Bytes WithField(DibRecipe recipe, std::size_t at, std::uint32_t value)
{
    Bytes b = MakeDib(recipe);
    kit::Set32(b, at, value);
    return b;
}

Bytes Truncated(DibRecipe recipe, std::size_t drop)
{
    Bytes b = MakeDib(recipe);
    b.resize(b.size() - drop);
    return b;
}

DibRecipe SixteenBitRecipe(std::vector<std::uint32_t> masks)
{
    DibRecipe s = Pattern(16, 2, 2);
    s.bitFields = std::move(masks);
    return s;
}

Bytes SixteenBitWithMasks(std::vector<std::uint32_t> masks)
{
    return MakeDib(SixteenBitRecipe(std::move(masks)));
}

INSTANTIATE_TEST_SUITE_P(ImageDecoder, DamagedDib,
    ::testing::Values(Damage { "Empty", [] { return Bytes {}; } },
        Damage { "ShorterThanHeader", [] { return Bytes(39, 0); } },
        Damage { "WidthZero", [] { return WithField(Pattern(4), 4, 0); } },
        Damage { "WidthNegative", [] { return WithField(Pattern(4), 4, 0xFFFFFFE0u); } },
        Damage { "WidthHuge", [] { return WithField(Pattern(4), 4, 0x7FFFFFFF); } },
        Damage { "HeightOne", [] { return WithField(Pattern(4), 8, 1); } },
        Damage { "HeightNegative", [] { return WithField(Pattern(4), 8, 0xFFFFFFC0u); } },
        Damage { "HeightHuge", [] { return WithField(Pattern(4), 8, 0x7FFFFFFE); } },
        Damage {
            "Depth16WithTooFewBits", [] { return WithField(Pattern(4), 12, 1 | (16u << 16)); } },
        Damage { "Depth2", [] { return WithField(Pattern(4), 12, 1 | (2u << 16)); } },
        Damage { "Compressed", [] { return WithField(Pattern(8), 16, 1); } },
        Damage { "Bitfields", [] { return WithField(Pattern(32), 16, 3); } },
        Damage { "BitfieldsMaskZero",
            [] {
                return SixteenBitWithMasks({ 0xF800, 0, 0x001F });
            } },
        Damage { "BitfieldsMaskWithAGap",
            [] {
                return SixteenBitWithMasks({ 0xF800, 0x05E0, 0x001F });
            } },
        Damage { "BitfieldsMaskPastSixteenBits",
            [] {
                return SixteenBitWithMasks({ 0x1F0000, 0x07E0, 0x001F });
            } },
        Damage { "BitfieldsMasksCut",
            [] {
                Bytes b = WithField(SixteenBitRecipe({}), 16, 3);
                b.resize(46);
                return b;
            } },
        Damage { "TableCut", [] { return Truncated(Pattern(8, 1, 1), 8 + 4 + 256 * 4 - 20); } },
        Damage { "ColourBitsCut", [] { return Truncated(Pattern(24), 128 + 1); } },
        Damage { "MaskCut", [] { return Truncated(Pattern(4), 1); } },
        Damage { "ClaimsMoreRowsThanStored", [] { return WithField(Pattern(1), 8, 2048); } }),
    glyphor::kit::RowName());

// PNG images: every colour type and depth ends as 8-bit RGBA.
TEST(ImageDecoder, PngWithAlphaKeepsItAndMasksBelowHalf)
{
    PngRecipe s;
    s.width = 3;
    s.height = 2;
    s.rows = { 255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 127, 1, 2, 3, 0, 10, 20, 30, 40, 200, 100,
        50, 255 };
    auto img = DecodeIconImage(MakePng(s), DibLayout::IconFile);
    ASSERT_TRUE(img) << img.message();
    EXPECT_TRUE(img->hasAlpha);
    ASSERT_EQ(img->width, 3);
    ASSERT_EQ(img->height, 2);
    EXPECT_EQ(img->pixels,
        (std::vector<std::uint32_t> {
            0xFFFF0000u, 0x8000FF00u, 0x7F0000FFu, 0x00010203u, 0x280A141Eu, 0xFFC86432u }));
    EXPECT_EQ(img->mask, (std::vector<std::uint8_t> { 0, 0, 1, 1, 1, 0 }));
}

struct PngKind {
    const char* name;
    PngRecipe recipe;
    std::vector<std::uint32_t> pixels;
};

void PrintTo(const PngKind& k, std::ostream* os)
{
    *os << k.name;
}

class PngConversion : public ::testing::TestWithParam<PngKind> { };

TEST_P(PngConversion, GivesRgba)
{
    auto img = DecodePng(MakePng(GetParam().recipe));
    ASSERT_TRUE(img) << img.message();
    EXPECT_EQ(img->pixels, GetParam().pixels);
}

PngRecipe Png(int w, int h, int type, int depth, Bytes rows)
{
    PngRecipe s;
    s.width = w;
    s.height = h;
    s.colourType = type;
    s.bitDepth = depth;
    s.rows = std::move(rows);
    return s;
}

PngRecipe PalettePng()
{
    PngRecipe s = Png(2, 1, PNG_COLOR_TYPE_PALETTE, 4, { 0x10 });
    s.palette = { 0x112233, 0x445566 };
    s.transparency = { 0x00 };
    return s;
}

PngRecipe InterlacedPng()
{
    Bytes rows;
    for (int i = 0; i < 9 * 9; ++i)
        rows.push_back(static_cast<std::uint8_t>(i));
    PngRecipe s = Png(9, 9, PNG_COLOR_TYPE_GRAY, 8, rows);
    s.interlaced = true;
    return s;
}

std::vector<std::uint32_t> InterlacedPixels()
{
    std::vector<std::uint32_t> p;
    for (std::uint32_t i = 0; i < 81; ++i)
        p.push_back(0xFF000000u | i * 0x010101u);
    return p;
}

INSTANTIATE_TEST_SUITE_P(ImageDecoder, PngConversion,
    ::testing::Values(
        PngKind { "Rgb8", Png(1, 1, PNG_COLOR_TYPE_RGB, 8, { 1, 2, 3 }), { 0xFF010203u } },
        PngKind { "Rgb16", Png(1, 1, PNG_COLOR_TYPE_RGB, 16, { 0xAB, 0, 0xCD, 0, 0xEF, 0 }),
            { 0xFFABCDEFu } },
        PngKind { "Gray1", Png(3, 1, PNG_COLOR_TYPE_GRAY, 1, { 0xA0 }),
            { 0xFFFFFFFFu, 0xFF000000u, 0xFFFFFFFFu } },
        PngKind { "GrayAlpha8", Png(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, { 0x40, 0x90 }),
            { 0x90404040u } },
        PngKind { "Palette4WithTransparency", PalettePng(), { 0xFF445566u, 0x00112233u } },
        PngKind { "Interlaced", InterlacedPng(), InterlacedPixels() }),
    glyphor::kit::RowName());

TEST(ImageDecoder, DamagedPngIsRefused)
{
    const Bytes good = MakePng(Png(8, 8, PNG_COLOR_TYPE_RGB, 8, Bytes(8 * 8 * 3, 7)));
    ASSERT_TRUE(DecodePng(good));

    Bytes truncated(good.begin(), good.end() - 30);
    Bytes badCrc = good;
    badCrc[29] ^= 0xFF; // inside the IHDR chunk's CRC
    Bytes huge = good;
    // IHDR width 100000: refused before anything that size is allocated. The
    // CRC must be right for libpng to reach the check, so rebuild it.
    huge[16] = 0x00;
    huge[17] = 0x01;
    huge[18] = 0x86;
    huge[19] = 0xA0;
    const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, huge.data() + 12, 17));
    for (int i = 0; i < 4; ++i)
        huge[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    const Bytes onlySignature(good.begin(), good.begin() + 8);

    for (const Bytes& bad : { truncated, badCrc, huge, onlySignature }) {
        auto img = DecodeIconImage(bad, DibLayout::Resource);
        ASSERT_FALSE(img);
        // The reason alone: the reader of the file words the failure around it.
        EXPECT_FALSE(img.message().empty() || img.message().starts_with("Icon image"))
            << img.message();
    }
}

// PNG files put together chunk by chunk, for the cases an encoder never writes.
void PutBig32(Bytes& b, std::uint32_t v)
{
    for (int i = 3; i >= 0; --i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void AddChunk(Bytes& png, const char* type, const Bytes& data, bool goodCrc = true)
{
    PutBig32(png, static_cast<std::uint32_t>(data.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    png.insert(png.end(), typed.begin(), typed.end());
    const auto crc
        = static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size())));
    PutBig32(png, goodCrc ? crc : ~crc);
}

Bytes PngStart(std::uint32_t width, std::uint32_t height)
{
    Bytes png = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    Bytes ihdr;
    PutBig32(ihdr, width);
    PutBig32(ihdr, height);
    ihdr.insert(ihdr.end(), { 8, PNG_COLOR_TYPE_RGB_ALPHA, 0, 0, 0 });
    AddChunk(png, "IHDR", ihdr);
    return png;
}

// Deflate of `first`, flushed so that it decodes on its own, then `rest`.
std::pair<Bytes, Bytes> Deflate(const Bytes& first, const Bytes& rest)
{
    z_stream z {};
    deflateInit(&z, 9);
    Bytes a(compressBound(static_cast<uLong>(first.size())) + 64);
    Bytes b(compressBound(static_cast<uLong>(rest.size())) + 64);
    z.next_in = const_cast<Bytef*>(first.data());
    z.avail_in = static_cast<uInt>(first.size());
    z.next_out = a.data();
    z.avail_out = static_cast<uInt>(a.size());
    deflate(&z, Z_FULL_FLUSH);
    a.resize(a.size() - z.avail_out);
    z.next_in = const_cast<Bytef*>(rest.data());
    z.avail_in = static_cast<uInt>(rest.size());
    z.next_out = b.data();
    z.avail_out = static_cast<uInt>(b.size());
    deflate(&z, Z_FINISH);
    b.resize(b.size() - z.avail_out);
    deflateEnd(&z);
    return { a, b };
}

// A 1 x 1 picture whose compressed stream goes on past its one row. Some
// kilobytes of such a tail inflate to hundreds of megabytes; the reader must
// stop at the last row, so a tail that is even damaged (a second IDAT with a
// wrong checksum) never costs the picture, or the time to inflate it.
TEST(ImageDecoder, PngStreamPastTheLastRowIsNotInflated)
{
    const Bytes row = { 0, 10, 20, 30, 255 }; // filter byte, then R G B A
    const auto [head, tail] = Deflate(row, Bytes(64u << 20, 0));
    Bytes png = PngStart(1, 1);
    AddChunk(png, "IDAT", head);
    AddChunk(png, "IDAT", tail, /*goodCrc=*/false);
    AddChunk(png, "IEND", {});

    auto img = DecodePng(png);
    ASSERT_TRUE(img) << img.message();
    EXPECT_EQ(img->pixels, (std::vector<std::uint32_t> { 0xFF0A141Eu }));

    // A stream that ends before the last row is still refused.
    Bytes cut = PngStart(1, 2);
    AddChunk(cut, "IDAT", Deflate(row, {}).first);
    AddChunk(cut, "IEND", {});
    EXPECT_FALSE(DecodePng(cut));
}

// Compressed text chunks of a few kilobytes each inflate to megabytes; libpng
// would keep every one of them until the end. Read in a child process so
// that its peak memory can be told apart from the rest of the test run.
TEST(ImageDecoder, PngTextChunksCostNoMemory)
{
    Bytes png = PngStart(1, 1);
    const Bytes zeros(7u << 20, 'a');
    Bytes packed(compressBound(static_cast<uLong>(zeros.size())));
    uLongf packedSize = static_cast<uLongf>(packed.size());
    ASSERT_EQ(
        compress2(packed.data(), &packedSize, zeros.data(), static_cast<uLong>(zeros.size()), 9),
        Z_OK);
    packed.resize(packedSize);
    for (int i = 0; i < 40; ++i) {
        Bytes text = { 'k', static_cast<std::uint8_t>('A' + i % 26), 0, 0 };
        text.insert(text.end(), packed.begin(), packed.end());
        AddChunk(png, "zTXt", text);
    }
    auto [head, tail] = Deflate({ 0, 1, 2, 3, 255 }, {});
    head.insert(head.end(), tail.begin(), tail.end());
    AddChunk(png, "IDAT", head);
    AddChunk(png, "IEND", {});
    ASSERT_LT(png.size(), 1u << 20);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rusage before {};
        getrusage(RUSAGE_SELF, &before);
        const bool ok = DecodePng(png).ok();
        rusage after {};
        getrusage(RUSAGE_SELF, &after);
        const long grownKb = after.ru_maxrss - before.ru_maxrss;
        _exit(!ok ? 2 : grownKb > 64 * 1024 ? 3 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: not decoded, 3: over 64 MB taken";
}

} // namespace
} // namespace glyphor
