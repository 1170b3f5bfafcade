#include "exe/IconExtractor.h"

#include "files/ByteSource.h"
#include "iconfile/IconFileWriter.h"
#include "iconfile/IconNormalizer.h"
#include "kit/Executables.h"
#include "kit/Files.h"
#include "kit/ShrinkingFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

using namespace glyphor;
using namespace glyphor::exe;
using namespace glyphor::files;
using namespace glyphor::kit;

namespace {

std::uint32_t Colour(int bpp, int x, int y)
{
    const std::uint32_t v = static_cast<std::uint32_t>(x * 3 + y * 5);
    return bpp <= 8 ? v % (1u << bpp) : 0xFF000000u | (v * 0x010305u & 0xFFFFFF);
}

struct DepthCase {
    int side;
    int bpp;
};

class EveryDepthAndSize : public ::testing::TestWithParam<DepthCase> { };

TEST_P(EveryDepthAndSize, DecodesAtItsOwnSizeWithColoursAndMask)
{
    const auto [side, bpp] = GetParam();
    auto transparent = [](int x, int y) { return x < 3 && y < 2; };
    Bytes dib = MakeDib(
        side, side, bpp, [&](int x, int y) { return Colour(bpp, x, y); }, transparent);
    Bytes pe = PeWithIcon({ { side, side, bpp, 1 } }, { dib });
    ASSERT_EQ(IconCountOfBytes(pe), 1);
    auto icon = ExtractIconFromBytes(pe, 0);
    ASSERT_TRUE(icon);
    ASSERT_EQ(icon->width, side);
    ASSERT_EQ(icon->height, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const std::uint32_t want
                = bpp <= 8 ? PaletteColour(bpp, Colour(bpp, x, y)) : Colour(bpp, x, y);
            ASSERT_EQ(icon->pixel(x, y) & 0xFFFFFF, want & 0xFFFFFF) << x << "," << y;
            ASSERT_EQ(icon->transparent(x, y), transparent(x, y)) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Images, EveryDepthAndSize,
    ::testing::Values(DepthCase { 16, 1 }, DepthCase { 32, 1 }, DepthCase { 16, 4 },
        DepthCase { 32, 4 }, DepthCase { 48, 4 }, DepthCase { 32, 8 }, DepthCase { 48, 8 },
        DepthCase { 32, 24 }, DepthCase { 16, 32 }, DepthCase { 32, 32 }, DepthCase { 48, 32 },
        DepthCase { 256, 32 }),
    [](const auto& info) {
        return std::to_string(info.param.side) + "px" + std::to_string(info.param.bpp) + "bpp";
    });

IconImage Solid(int side, std::uint32_t argb)
{
    IconImage i;
    i.width = i.height = side;
    i.pixels.assign(static_cast<std::size_t>(side) * side, argb);
    i.mask.assign(i.pixels.size(), (argb >> 24) < 128 ? 1 : 0);
    i.hasAlpha = true;
    return i;
}

TEST(IconExtractor, PngImagesAndTheChoiceOf32)
{
    const Bytes png256 = MakePng(Solid(256, 0x80FF0000));
    const Bytes png32 = MakePng(Solid(32, 0xFF00FF00));
    // 256 x 256 is written as 0 in the directory. The 32 x 32 PNG is chosen
    // over the BMP images of other sizes.
    Bytes pe
        = PeWithIcon({ { 16, 16, 4, 1 }, { 256, 256, 32, 2 }, { 32, 32, 32, 3 }, { 48, 48, 8, 4 } },
            { PatternDib(16, 16, 4), png256, png32, PatternDib(48, 48, 8) });
    auto icon = ExtractIconFromBytes(pe, 0);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width, 32);
    EXPECT_EQ(icon->pixel(5, 5), 0xFF00FF00u);

    // Only a 256 x 256 PNG: that one, with its alpha.
    Bytes big = PeWithIcon({ { 256, 256, 32, 1 } }, { png256 });
    icon = ExtractIconFromBytes(big, 0);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width, 256);
    EXPECT_TRUE(icon->hasAlpha);
    EXPECT_EQ(icon->pixel(100, 100) >> 24, 0x80u);
}

TEST(IconExtractor, DamagedBestImageFallsBackToTheNextOne)
{
    Bytes broken = PatternDib(32, 32, 4);
    broken.resize(30);
    Bytes pe
        = PeWithIcon({ { 32, 32, 4, 1 }, { 16, 16, 4, 2 } }, { broken, PatternDib(16, 16, 4) });
    auto icon = ExtractIconFromBytes(pe, 0);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width, 16);

    Bytes allBroken = PeWithIcon({ { 32, 32, 4, 1 } }, { broken });
    EXPECT_EQ(IconCountOfBytes(allBroken), 1);
    EXPECT_FALSE(ExtractIconFromBytes(allBroken, 0));
}

TEST(IconExtractor, IndexesOutsideTheCountGiveNothing)
{
    Bytes pe = PeWithIcon({ { 32, 32, 4, 1 } }, { PatternDib(32, 32, 4) });
    EXPECT_TRUE(ExtractIconFromBytes(pe, 0));
    EXPECT_EQ(ExtractIconFromBytes(pe, 0), ExtractIconFromBytes(pe, 0));
    EXPECT_FALSE(ExtractIconFromBytes(pe, -1));
    EXPECT_FALSE(ExtractIconFromBytes(pe, 1));
    EXPECT_FALSE(ExtractIconFromBytes(pe, INT32_MAX));
    EXPECT_EQ(IconCountOfBytes({}), 0);
    EXPECT_EQ(IconCountOfBytes(Bytes(1000, 0x5A)), 0);
}

TEST(IconExtractor, NeExecutable)
{
    Bytes ne = BuildNe({ { ResId::Id(1), MakeGroup({ { 16, 16, 4, 1 }, { 32, 32, 1, 2 } }) } },
        { { ResId::Id(1), PatternDib(16, 16, 4) }, { ResId::Id(2), PatternDib(32, 32, 1) } });
    ASSERT_EQ(IconCountOfBytes(ne), 1);
    auto icon = ExtractIconFromBytes(ne, 0);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width, 32);
}

TEST(IconExtractor, IconFileIsOneIconOfAllItsImages)
{
    Bytes ico = MakeIcoFile({ { 16, 16, 4 }, { 32, 32, 8 }, { 48, 48, 32 } },
        { PatternDib(16, 16, 4), PatternDib(32, 32, 8), PatternDib(48, 48, 32) });
    ASSERT_EQ(IconCountOfBytes(ico), 1);
    auto icon = ExtractIconFromBytes(ico, 0);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width, 32);
    EXPECT_FALSE(ExtractIconFromBytes(ico, 1));
    // An image offset beyond the end leaves the others.
    ico[6 + 16 + 12] = 0xFF;
    ico[6 + 16 + 15] = 0x7F;
    icon = ExtractIconFromBytes(ico, 0);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width, 48);
    // Not an icon file: type 2 (a cursor), or no images.
    EXPECT_EQ(IconCountOfBytes(Bytes { 0, 0, 2, 0, 1, 0 }), 0);
    EXPECT_EQ(IconCountOfBytes(Bytes { 0, 0, 1, 0, 0, 0 }), 0);
}

class IconExtractorFiles : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const Bytes& b)
    {
        WriteBytes(scratch.file(name), b);
        return scratch.file(name);
    }
    ScratchFolder scratch;
    std::filesystem::path dir = scratch.path();
};

TEST_F(IconExtractorFiles, FormatIsToldFromTheContentNotTheName)
{
    Bytes pe = BuildPe(
        { { ResId::Id(kGroupIconResourceType), ResId::Id(1), 0, MakeGroup({ { 32, 32, 4, 1 } }) },
            { ResId::Id(kGroupIconResourceType), ResId::Id(2), 0, MakeGroup({ { 32, 32, 4, 1 } }) },
            { ResId::Id(kIconResourceType), ResId::Id(1), 0, PatternDib(32, 32, 4) } });
    Bytes ico = MakeIcoFile({ { 32, 32, 4 } }, { PatternDib(32, 32, 4) });
    EXPECT_EQ(IconCount(Write("looks-like.ico", pe)), 2);
    EXPECT_EQ(IconCount(Write("looks-like.exe", ico)), 1);
    EXPECT_EQ(IconCount(Write("text.dll", Bytes { 'h', 'i' })), 0);
    EXPECT_TRUE(ExtractIcon((dir / "looks-like.ico").string(), 1));
}

TEST_F(IconExtractorFiles, WhatIsNoRegularFileHasNoIcons)
{
    EXPECT_EQ(IconCount((dir / "missing.exe").string()), 0);
    EXPECT_FALSE(ExtractIcon((dir / "missing.exe").string(), 0));
    EXPECT_EQ(IconCount(dir.string()), 0);
    EXPECT_EQ(IconCount(Write("empty.exe", {})), 0);
    // A fifo without a writer: opening it for reading would wait for ever.
    const std::string fifo = (dir / "fifo.exe").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(IconCount(fifo), 0);
}

// Reads of the file made by opening it with its count, and by each icon.
std::vector<int> ReadsByStep(const std::string& path, int icons)
{
    ShrinkingFile watch(path, 0, INT_MAX);
    std::vector<int> reads;
    auto source = IconSource::fromFile(path);
    if (!source)
        return reads;
    source->count();
    reads.push_back(watch.reads());
    for (int i = 0; i < icons; ++i) {
        source->icon(i);
        reads.push_back(watch.reads());
    }
    return reads;
}

// Another program truncates the file at a chosen point of its reading: while
// the directory is read the file has no icons; between two icons the icons
// still in hand are right and the next one is nothing, with the reason.
TEST_F(IconExtractorFiles, AFileCutShortWhileItIsReadSaysSoAndNeverGivesAWrongIcon)
{
    const Bytes pe = PeWithLargeIcons(3);
    const IconSource whole(pe);
    ASSERT_EQ(whole.count(), 3);
    const std::string path = Write("shrinks.exe", pe);
    const std::vector<int> steps = ReadsByStep(path, 3);
    ASSERT_EQ(steps.size(), 4u);
    ASSERT_LT(steps[0], steps[1]); // each icon reads its image itself
    ASSERT_LT(steps[1], steps[2]);

    {
        SCOPED_TRACE("during the count");
        ShrinkingFile cut(path, 200, 1);
        auto source = IconSource::fromFile(path);
        ASSERT_TRUE(source);
        EXPECT_TRUE(cut.truncated());
        EXPECT_EQ(source->count(), 0);
        EXPECT_EQ(source->readFailure(), "the file became shorter while it was read");
    }
    {
        SCOPED_TRACE("between the first and the second icon");
        Write("shrinks.exe", pe);
        ShrinkingFile cut(path, 4096, steps[1] + 1);
        auto source = IconSource::fromFile(path);
        ASSERT_TRUE(source);
        ASSERT_EQ(source->count(), 3);
        EXPECT_EQ(source->icon(0), whole.icon(0));
        EXPECT_EQ(source->readFailure(), "");
        EXPECT_FALSE(source->icon(1));
        EXPECT_TRUE(cut.truncated());
        EXPECT_EQ(source->readFailure(), "the file became shorter while it was read");
    }
}

// The same without a chosen point: a thread truncates the file to a random
// size at a random moment while it is read, again and again. With a mapped
// file this ended the process with SIGBUS; here every icon that is given is
// the file's own, and nothing else happens.
TEST_F(IconExtractorFiles, TruncationsAtRandomMomentsNeverGiveAWrongIcon)
{
    const Bytes pe = PeWithLargeIcons(3);
    const IconSource whole(pe);
    const std::string path = (dir / "race.exe").string();
    std::mt19937 rng(2024);
    for (int round = 0; round < 40; ++round) {
        Write("race.exe", pe);
        const auto delay = std::chrono::microseconds(rng() % 400);
        const off_t size = static_cast<off_t>(rng() % pe.size());
        std::thread cut([&] {
            std::this_thread::sleep_for(delay);
            ASSERT_EQ(::truncate(path.c_str(), size), 0);
        });
        if (auto source = IconSource::fromFile(path)) {
            const int n = source->count();
            EXPECT_LE(n, 3);
            for (int i = 0; i < n; ++i) {
                const auto icon = source->icon(i);
                if (icon) {
                    EXPECT_EQ(icon, whole.icon(i)) << "round " << round << " icon " << i;
                }
            }
        }
        cut.join();
    }
}

// A source over bytes in memory whose every read that takes in one chosen
// byte fails, as a disk with a bad sector does.
class BadByteSource final : public ByteSource {
public:
    BadByteSource(const Bytes& bytes, std::uint64_t bad)
        : m_bytes(bytes)
        , m_bad(bad)
    {
    }
    std::uint64_t size() const override { return m_bytes.size(); }
    bool read(std::uint64_t offset, std::span<std::uint8_t> out) const override
    {
        if (offset <= m_bad && m_bad - offset < out.size()) {
            m_failed = true;
            return false;
        }
        return MemorySource(m_bytes).read(offset, out);
    }
    std::string failure() const override { return m_failed ? "Input/output error" : ""; }

private:
    const Bytes& m_bytes;
    std::uint64_t m_bad;
    mutable bool m_failed = false;
};

// Wherever a read fails, in the headers, a directory or an image: a failure
// while the file is opened leaves it without icons, a later one costs the
// icons it meets, and every icon that is given is the file's own.
TEST(IconExtractor, AReadThatFailsAnywhereGivesNoIconOrTheFilesOwn)
{
    const Bytes image = PatternDib(32, 32, 4, 7);
    const Bytes group = MakeGroup({ { 32, 32, 4, 1 } });
    const std::vector<PeResource> resources {
        { ResId::Id(kGroupIconResourceType), ResId::Id(1), 1033, group },
        { ResId::Id(kIconResourceType), ResId::Id(1), 1033, image },
    };
    const struct {
        const char* name;
        Bytes file;
    } files[] = {
        { "Pe32", BuildPe(resources, false) },
        { "Pe32Plus", BuildPe(resources, true) },
        { "Ne", BuildNe({ { ResId::Id(1), group } }, { { ResId::Id(1), image } }) },
        { "IconFile", MakeIcoFile({ { 32, 32, 4, 1 } }, { image }) },
    };
    for (const auto& f : files) {
        const IconSource whole(f.file);
        ASSERT_EQ(whole.count(), 1) << f.name;
        const auto icon = whole.icon(0);
        ASSERT_TRUE(icon) << f.name;
        for (std::uint64_t bad = 0; bad < f.file.size(); ++bad) {
            const IconSource source(std::make_unique<BadByteSource>(f.file, bad));
            const bool failedOnOpening = !source.readFailure().empty();
            ASSERT_EQ(source.count(), failedOnOpening ? 0 : 1) << f.name << " byte " << bad;
            if (failedOnOpening)
                continue;
            const auto got = source.icon(0);
            if (got)
                EXPECT_EQ(*got, *icon) << f.name << " byte " << bad;
            else
                EXPECT_FALSE(source.readFailure().empty()) << f.name << " byte " << bad;
        }
    }
}

// An exact 32 x 32 icon of 4 bits per pixel in the 16-colour table passes
// through the round trip and the writer with its colour bits and mask intact.
TEST(RoundTrip, Exact32x32FourBitIconIsKeptPixelForPixel)
{
    auto transparent = [](int x, int y) { return (x * y + x) % 7 == 0; };
    // Colour 0 (black) under the transparent pixels, as icon editors write it.
    auto colour = [&](int x, int y) -> std::uint32_t {
        return transparent(x, y) ? 0 : static_cast<std::uint32_t>(x + 3 * y) % 16;
    };
    const Bytes dib = MakeDib(32, 32, 4, colour, transparent);
    const Bytes pe = PeWithIcon({ { 32, 32, 4, 1 } }, { dib });
    auto icon = ExtractIconFromBytes(pe, 0);
    ASSERT_TRUE(icon);
    const Bytes file = EncodeIconFile(NormalizeIcon(*icon));
    ASSERT_EQ(file.size(), 766u);
    // Colour bits and mask bits of the file against those of the resource.
    const std::size_t bits = 40 + 64;
    EXPECT_EQ(Bytes(file.begin() + 126, file.end()), Bytes(dib.begin() + bits, dib.end()));
}

} // namespace
