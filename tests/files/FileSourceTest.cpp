#include "files/FileSource.h"

#include "kit/Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include <sys/stat.h>
#include <unistd.h>

using glyphor::files::FileSource;

namespace {

using glyphor::kit::Bytes;

class FileSourceTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const Bytes& b)
    {
        glyphor::kit::WriteBytes(scratch.file(name), b);
        return scratch.file(name);
    }

    // Bytes that differ from block to block and from offset to offset.
    static Bytes Pattern(std::size_t n)
    {
        Bytes b(n);
        std::mt19937 rng(7);
        for (auto& x : b)
            x = static_cast<std::uint8_t>(rng());
        return b;
    }

    static Bytes Read(
        const FileSource& f, std::uint64_t offset, std::size_t length, bool* ok = nullptr)
    {
        Bytes out(length);
        const bool good = f.read(offset, out);
        if (ok)
            *ok = good;
        return out;
    }

    glyphor::kit::ScratchFolder scratch;
    std::filesystem::path dir = scratch.path();
};

TEST_F(FileSourceTest, OpensRegularFilesAndRefusesEverythingElse)
{
    auto five = FileSource::open(Write("five.bin", { '1', '2', '3', '4', '5' }));
    ASSERT_TRUE(five);
    ASSERT_EQ(five->size(), 5u);
    EXPECT_EQ(Read(*five, 4, 1), Bytes { '5' });

    auto empty = FileSource::open(Write("empty.bin", {}));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->size(), 0u);

    EXPECT_FALSE(FileSource::open((dir / "missing.bin").string()));
    EXPECT_FALSE(FileSource::open(dir.string()));
    const std::string fifo = (dir / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(FileSource::open(fifo)); // and returns at once
    EXPECT_FALSE(FileSource::open("/dev/zero"));
}

// Through the cache and around it, every range reads as the file holds it:
// within a block, across block edges, large reads, the very end, and more
// blocks than the cache keeps, visited in random order.
TEST_F(FileSourceTest, EveryRangeReadsAsTheFileHoldsIt)
{
    constexpr std::size_t B = FileSource::kBlockSize;
    const Bytes all = Pattern(B * (FileSource::kCachedBlocks + 3) + 123);
    auto f = FileSource::open(Write("data.bin", all));
    ASSERT_TRUE(f);
    struct Range {
        const char* name;
        std::uint64_t offset;
        std::size_t length;
    };
    const Range ranges[] = {
        { "Start", 0, 64 },
        { "AcrossOneEdge", B - 3, 8 },
        { "AcrossTwoEdges", B - 1, B - 1 + 2 },
        { "LargeReadBypassesTheCache", B / 2, 3 * B },
        { "LastByte", all.size() - 1, 1 },
        { "LastPartialBlock", all.size() - 200, 200 },
        { "EmptyAtTheEnd", all.size(), 0 },
    };
    for (const Range& r : ranges) {
        bool ok = false;
        const Bytes got = Read(*f, r.offset, r.length, &ok);
        EXPECT_TRUE(ok) << r.name;
        EXPECT_EQ(got,
            Bytes(all.begin() + static_cast<std::ptrdiff_t>(r.offset),
                all.begin() + static_cast<std::ptrdiff_t>(r.offset + r.length)))
            << r.name;
    }
    std::mt19937 rng(11);
    for (int i = 0; i < 2000; ++i) {
        const std::size_t length = rng() % (i % 10 == 0 ? 2 * B : 300);
        const std::uint64_t offset = rng() % (all.size() - length + 1);
        bool ok = false;
        const Bytes got = Read(*f, offset, length, &ok);
        ASSERT_TRUE(ok) << offset << "+" << length;
        ASSERT_EQ(got,
            Bytes(all.begin() + static_cast<std::ptrdiff_t>(offset),
                all.begin() + static_cast<std::ptrdiff_t>(offset + length)))
            << offset << "+" << length;
    }
    EXPECT_EQ(f->failure(), "");

    // Outside the file is damage, not a failure of the source.
    bool ok = true;
    Read(*f, all.size() - 1, 2, &ok);
    EXPECT_FALSE(ok);
    Read(*f, UINT64_MAX - 1, 4, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(f->failure(), "");
}

// The fault that a mapping of the file had: bytes past the new end of a file
// that shrank after it was opened. Here those reads fail and say why; what
// is still there, or was read before, still reads.
TEST_F(FileSourceTest, AFileThatShrinksGivesFailedReadsNotASignal)
{
    constexpr std::size_t B = FileSource::kBlockSize;
    const Bytes all = Pattern(5 * B);
    const std::string path = Write("shrinks.bin", all);
    auto f = FileSource::open(path);
    ASSERT_TRUE(f);
    EXPECT_EQ(Read(*f, 10, 10), Bytes(all.begin() + 10, all.begin() + 20));

    ASSERT_EQ(::truncate(path.c_str(), B + B / 2), 0);
    EXPECT_EQ(f->size(), all.size()); // the size it had when opened

    bool ok = true;
    Read(*f, 3 * B + 5, 16, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(f->failure(), "the file became shorter while it was read");
    Read(*f, B, 2 * B, &ok); // a large read that meets the new end
    EXPECT_FALSE(ok);
    // The part of a block that is still there reads; past it nothing does.
    EXPECT_EQ(Read(*f, B + 100, 16, &ok), Bytes(all.begin() + B + 100, all.begin() + B + 116));
    EXPECT_TRUE(ok);
    Read(*f, B + B / 2 - 8, 16, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Read(*f, 10, 10, &ok), Bytes(all.begin() + 10, all.begin() + 20));
    EXPECT_TRUE(ok);
}

} // namespace
