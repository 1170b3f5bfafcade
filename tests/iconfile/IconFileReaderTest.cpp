#include "iconfile/IconFileReader.h"

#include "iconfile/IconFileWriter.h"
#include "iconfile/IconNormalizer.h"
#include "kit/ErrorOf.h"
#include "kit/Files.h"
#include "kit/IconImages.h"
#include "kit/NamedRows.h"
#include "util/Error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>

namespace glyphor {
namespace {

using kit::Bytes;
using kit::DibRecipe;
using kit::FileEntry;
using kit::MakeDib;
using kit::MakeIconFile;

using kit::ErrorOf;

// A 32 x 32 4-bit image of one table colour, which tells images apart.
Bytes Solid(std::uint32_t rgb, int size = 32)
{
    DibRecipe s;
    s.width = size;
    s.height = size;
    s.table = { rgb };
    return MakeDib(s);
}

TEST(IconFileReader, DisplayKeys)
{
    const std::pair<int, int> keys[] = { { 1, 2 }, { 4, 16 }, { 8, 256 }, { 15, 0x8000 }, { 16, 0 },
        { 24, 0 }, { 32, 1 }, { 33, 2 } };
    for (auto [depth, key] : keys)
        EXPECT_EQ(DisplayKey(depth), key) << depth;
}

TEST(IconFileReader, HeaderCheck)
{
    for (std::size_t n = 0; n < 6; ++n) {
        auto r = CheckIconHeader(Bytes(n, 0));
        ASSERT_FALSE(r);
        EXPECT_EQ(r.message(), "Stream read error");
    }
    EXPECT_EQ(*CheckIconHeader(Bytes { 0, 0, 0, 0, 0, 0 }), 0);
    EXPECT_EQ(*CheckIconHeader(Bytes { 9, 9, 1, 0, 0, 0 }), 1); // reserved is not examined
    for (std::uint8_t type : { 2, 3, 255 }) {
        auto r = CheckIconHeader(Bytes { 0, 0, type, 0, 1, 0 });
        ASSERT_FALSE(r);
        EXPECT_EQ(r.message(), "Icon image is not valid");
    }
}

struct Choice {
    const char* name;
    std::vector<std::uint16_t> keys;
    int displayKey;
    int chosen;
};

void PrintTo(const Choice& c, std::ostream* os)
{
    *os << c.name;
}

class ImageChoice : public ::testing::TestWithParam<Choice> { };

TEST_P(ImageChoice, Picks)
{
    std::vector<FileEntry> entries;
    for (auto key : GetParam().keys)
        entries.push_back({ key, Solid(0) });
    auto r = ChooseIconImage(MakeIconFile(entries), GetParam().displayKey);
    ASSERT_TRUE(r) << r.message();
    EXPECT_EQ(*r, GetParam().chosen);
}

INSTANTIATE_TEST_SUITE_P(IconFileReader, ImageChoice,
    ::testing::Values(
        // No key equals 256; 16 becomes the candidate and 0 does not exceed it.
        Choice { "Keys16And0On8Bit", { 16, 0 }, 256, 0 },
        // 16 exceeds D = 1 and is passed over; 0 becomes the candidate.
        Choice { "Keys16And0On32Bit", { 16, 0 }, 1, 1 },
        // 0 is the candidate, 16 > 0 replaces it.
        Choice { "Keys0And16On32Bit", { 0, 16 }, 1, 1 },
        // A key equal to D ends the search at once.
        Choice { "ExactMatch", { 0, 16, 256, 0 }, 256, 2 },
        // The key compared against stays the first candidate's: 8 > 4 replaces 16.
        Choice { "CandidateKeyIsTheFirstOne", { 4, 16, 8 }, 256, 2 },
        // Nothing at most D: the first entry.
        Choice { "NoCandidate", { 16, 256 }, 2, 0 }, Choice { "OneImage", { 256 }, 1, 0 }),
    glyphor::kit::RowName());

TEST(IconFileReader, ChosenImageIsDecoded)
{
    const Bytes file = MakeIconFile({ { 16, Solid(0xFF0000) }, { 0, Solid(0x0000FF) } });
    auto on8 = DecodeIconFile(file, DisplayKey(8));
    auto on32 = DecodeIconFile(file, DisplayKey(32));
    ASSERT_TRUE(on8);
    ASSERT_TRUE(on32);
    EXPECT_EQ(on8->pixel(5, 5), 0xFFFF0000u);
    EXPECT_EQ(on32->pixel(5, 5), 0xFF0000FFu);
}

TEST(IconFileReader, TypeZeroIsTheApplicationIcon)
{
    auto r = DecodeIconFile(Bytes { 0, 0, 0, 0, 0, 0 });
    ASSERT_TRUE(r);
    EXPECT_EQ(*r, ApplicationIcon());
    const IconImage& icon = *r;
    EXPECT_EQ(icon.width, 32);
    EXPECT_TRUE(icon.transparent(0, 0));
    EXPECT_FALSE(icon.transparent(16, 16));
    EXPECT_EQ(icon.pixel(16, 20), 0xFFFFFFFFu);
}

TEST(IconFileReader, OtherSizesAreStretchedToTheStandardSize)
{
    for (int size : { 16, 48 }) {
        DibRecipe s;
        s.width = size;
        s.height = size;
        s.bpp = 8;
        s.table = { 0x000000, 0xFFFFFF };
        s.value = [size](int x, int) { return x < size / 2 ? 1u : 0u; };
        s.masked = [size](int, int y) { return y >= size / 2; };
        auto r = DecodeIconFile(MakeIconFile({ { 0, MakeDib(s) } }));
        ASSERT_TRUE(r) << r.message();
        ASSERT_EQ(r->width, 32);
        ASSERT_EQ(r->height, 32);
        EXPECT_EQ(r->pixel(15, 0), 0xFFFFFFFFu) << size;
        EXPECT_EQ(r->pixel(16, 0), 0xFF000000u) << size;
        EXPECT_FALSE(r->transparent(0, 15)) << size;
        EXPECT_TRUE(r->transparent(0, 16)) << size;
    }
}

TEST(IconFileReader, PngImageIsDecoded)
{
    kit::PngRecipe s;
    s.width = 64;
    s.height = 64;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const std::uint8_t a = x < 32 ? 0 : 255;
            s.rows.insert(s.rows.end(), { 0x20, 0x40, 0x80, a });
        }
    auto r = DecodeIconFile(MakeIconFile({ { 0, kit::MakePng(s) } }));
    ASSERT_TRUE(r) << r.message();
    EXPECT_TRUE(r->transparent(0, 0));
    EXPECT_EQ(r->pixel(0, 0), 0xFF000000u);
    EXPECT_FALSE(r->transparent(31, 31));
    EXPECT_EQ(r->pixel(31, 31), 0xFF204080u);
}

TEST(IconFileReader, WrittenFileReadsBackAsTheSamePictureAndMask)
{
    // Colours of the 16-colour table and black under the mask, as every
    // normalized icon has them.
    IconImage icon;
    icon.width = icon.height = 32;
    for (int i = 0; i < 32 * 32; ++i) {
        const bool masked = (i * 7 + i / 32) % 5 == 0;
        icon.mask.push_back(masked ? 1 : 0);
        icon.pixels.push_back(0xFF000000u | (masked ? 0 : kit::kPaletteForTests[(i * 13) % 16]));
    }
    kit::ScratchFolder dir;
    const std::string path = dir.file("Icon0000.ico");
    WriteIconFile(icon, path);
    IconFile file = ReadIconFile(path);
    EXPECT_EQ(file.bytes(), EncodeIconFile(icon));
    EXPECT_EQ(file.image(), icon);
}

struct Malformed {
    const char* name;
    std::function<Bytes()> bytes;
};

void PrintTo(const Malformed& m, std::ostream* os)
{
    *os << m.name;
}

class MalformedFile : public ::testing::TestWithParam<Malformed> { };

TEST_P(MalformedFile, IsRefusedWithAClearMessage)
{
    auto r = DecodeIconFile(GetParam().bytes());
    ASSERT_FALSE(r);
    EXPECT_EQ(r.message().rfind("Icon image is not valid", 0), 0u) << r.message();
}

Bytes Valid()
{
    return MakeIconFile({ { 16, Solid(0x808080) } });
}

Bytes WithEntryField(std::size_t at, std::uint32_t value)
{
    Bytes b = Valid();
    kit::Set32(b, 6 + at, value);
    return b;
}

Bytes CutTo(std::size_t size)
{
    Bytes b = Valid();
    b.resize(size);
    return b;
}

INSTANTIATE_TEST_SUITE_P(IconFileReader, MalformedFile,
    ::testing::Values(Malformed { "NoImages",
                          [] {
                              return Bytes { 0, 0, 1, 0, 0, 0 };
                          } },
        Malformed { "DirectoryPastTheEnd", [] { return CutTo(21); } },
        Malformed { "ManyImagesClaimed",
            [] {
                Bytes b = Valid();
                b[4] = 0xFF;
                b[5] = 0xFF;
                return b;
            } },
        Malformed { "OffsetPastTheEnd", [] { return WithEntryField(12, 100000); } },
        Malformed { "OffsetNearWrap", [] { return WithEntryField(12, 0xFFFFFFF0u); } },
        Malformed { "SizePastTheEnd", [] { return WithEntryField(8, 100000); } },
        Malformed { "SizeNearWrap", [] { return WithEntryField(8, 0xFFFFFFFFu); } },
        Malformed { "ImageCutShort", [] { return CutTo(400); } },
        Malformed { "ImageShorterThanItsHeader", [] { return WithEntryField(8, 20); } },
        Malformed { "ZeroBytesInImage", [] { return WithEntryField(8, 0); } },
        Malformed { "AbsurdWidth",
            [] {
                Bytes b = Valid();
                kit::Set32(b, 22 + 4, 40000);
                return b;
            } },
        Malformed { "AbsurdHeight",
            [] {
                Bytes b = Valid();
                kit::Set32(b, 22 + 8, 0x7FFFFFFF);
                return b;
            } },
        Malformed { "FifteenBits",
            [] {
                Bytes b = Valid();
                b[22 + 14] = 15;
                return b;
            } },
        Malformed { "RunLengthCompressed",
            [] {
                Bytes b = Valid();
                b[22 + 16] = 2;
                return b;
            } },
        Malformed { "DamagedPng",
            [] {
                return MakeIconFile(
                    { { 0, { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0 } } });
            } }),
    glyphor::kit::RowName());

TEST(IconFileReader, ReadFailuresCarryTheProgramsMessages)
{
    kit::ScratchFolder dir;
    const Bytes valid = Valid();
    kit::WriteBytes(dir.file("a.bmp"), valid);
    kit::WriteBytes(dir.file("noext"), valid);
    kit::WriteBytes(dir.file("short.ico"), Bytes(5, 0));
    kit::WriteBytes(dir.file("cursor.ico"), Bytes { 0, 0, 2, 0, 1, 0 });
    std::filesystem::create_directory(dir.file("folder.ico"));
    ASSERT_EQ(::mkfifo(dir.file("pipe.ico").c_str(), 0600), 0);
    {
        std::FILE* f = std::fopen(dir.file("huge.ico").c_str(), "wb");
        std::fwrite(valid.data(), 1, valid.size(), f);
        std::fclose(f);
        std::filesystem::resize_file(dir.file("huge.ico"), 17u << 20); // sparse
    }

    EXPECT_EQ(
        ErrorOf([&] { ReadIconFile(dir.file("a.bmp")); }), "Unknown picture file extension (.bmp)");
    EXPECT_EQ(
        ErrorOf([&] { ReadIconFile(dir.file("noext")); }), "Unknown picture file extension (.)");
    EXPECT_EQ(ErrorOf([&] { ReadIconFile(dir.file("missing.ico")); }),
        "Cannot open file " + dir.file("missing.ico"));
    EXPECT_EQ(ErrorOf([&] { ReadIconFile(dir.file("folder.ico")); }),
        "Cannot open file " + dir.file("folder.ico"));
    EXPECT_EQ(ErrorOf([&] { ReadIconFile(dir.file("pipe.ico")); }),
        "Cannot open file " + dir.file("pipe.ico"));
    EXPECT_EQ(ErrorOf([&] { ReadIconFile(dir.file("short.ico")); }), "Stream read error");
    EXPECT_EQ(ErrorOf([&] { ReadIconFile(dir.file("cursor.ico")); }), "Icon image is not valid");
    EXPECT_EQ(ErrorOf([&] { ReadIconFile(dir.file("huge.ico")); }),
        "Icon file " + dir.file("huge.ico") + " is too large");
}

TEST(IconFileReader, LoadAcceptsAnyCaseAndDecodeComesLater)
{
    kit::ScratchFolder dir;
    kit::WriteBytes(dir.file("GOOD.ICO"), Valid());
    kit::WriteBytes(dir.file("Damaged.Ico"), Bytes { 0, 0, 1, 0, 0, 0 });
    IconFile good = ReadIconFile(dir.file("GOOD.ICO"));
    EXPECT_EQ(good.image().pixel(0, 0), 0xFF808080u);
    // The damage shows only when the picture is needed.
    IconFile damaged = ReadIconFile(dir.file("Damaged.Ico"));
    EXPECT_EQ(ErrorOf([&] { damaged.image(); }).rfind("Icon image is not valid", 0), 0u);
}

} // namespace
} // namespace glyphor
