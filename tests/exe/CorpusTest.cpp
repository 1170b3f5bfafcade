// The extraction over real Windows executables: counts against the peer's
// listing, every icon through the whole capture, and the same files damaged
// on purpose (cut short, bytes flipped) to show that every path finishes.

#include "exe/IconExtractor.h"
#include "exe/PeResourceReader.h"
#include "exe/Thumbnail.h"
#include "files/ByteSource.h"

#include "iconfile/IconFileWriter.h"
#include "iconfile/IconNormalizer.h"
#include "iconfile/ImageDecoder.h"

#include "kit/Corpus.h"
#include "kit/Files.h"
#include "kit/GroupFiles.h"

#include <gtest/gtest.h>

#include <random>

using namespace glyphor;
using namespace glyphor::exe;
using namespace glyphor::files;

namespace {

using kit::CorpusRoot;
using CorpusFile = kit::CorpusEntry;

// Every file of the corpus; without a corpus one row that skips.
std::vector<CorpusFile> LoadManifest()
{
    std::vector<CorpusFile> files = kit::CorpusManifest();
    if (files.empty())
        files.push_back({ "", "NoCorpus", "", -1 });
    return files;
}

std::string TestName(const CorpusFile& f)
{
    std::string n;
    for (char c : f.relative)
        n += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return n;
}

class Corpus : public ::testing::TestWithParam<CorpusFile> {
protected:
    void SetUp() override
    {
        if (GetParam().iconGroups < 0)
            GTEST_SKIP() << "no corpus at " << CorpusRoot() << " (set G2_CORPUS)";
    }
};

using kit::ReadBytes;

// Read from the file in pieces, the icons are those of the whole file read
// into memory, icon for icon.
TEST_P(Corpus, CountMatchesThePeerAndEveryIconCapturesTo766Bytes)
{
    const CorpusFile& f = GetParam();
    ASSERT_EQ(IconCount(f.path), f.iconGroups);
    auto source = IconSource::fromFile(f.path);
    ASSERT_TRUE(source);
    const std::vector<std::uint8_t> all = ReadBytes(f.path);
    const IconSource inMemory(all);
    ASSERT_EQ(inMemory.count(), f.iconGroups);
    for (int i = 0; i < f.iconGroups; ++i) {
        auto icon = source->icon(i);
        ASSERT_TRUE(icon) << "icon " << i;
        EXPECT_EQ(icon, inMemory.icon(i)) << "icon " << i;
        const IconImage normal = NormalizeIcon(*icon);
        ASSERT_EQ(normal.width, 32);
        EXPECT_EQ(EncodeIconFile(normal).size(), 766u) << "icon " << i;
    }
    EXPECT_EQ(ExtractIcon(f.path, f.iconGroups - 1), source->icon(f.iconGroups - 1));
    EXPECT_EQ(source->readFailure(), "");
}

// The thumbnails file managers ask for, normal (128) and large (256), are
// never larger than asked, and exactly that size where the icon has an
// image that large; a file without icons has none.
TEST_P(Corpus, ThumbnailsAreNeverLargerThanAsked)
{
    const CorpusFile& f = GetParam();
    const std::vector<std::uint8_t> all = ReadBytes(f.path);
    if (f.iconGroups == 0) {
        const Result<std::vector<std::uint8_t>> none = MakeThumbnail(all, 128);
        ASSERT_FALSE(none);
        EXPECT_EQ(none.message(), kNoIconsText);
        return;
    }
    auto sizeOf = [&](int size) {
        const Result<std::vector<std::uint8_t>> png = MakeThumbnail(all, size);
        EXPECT_TRUE(png) << size << ": " << (png ? "" : png.message());
        const Result<IconImage> image = png ? DecodePng(*png) : Failure { "" };
        return image ? std::max(image->width, image->height) : 0;
    };
    const int largest = sizeOf(kMaxImageSide);
    for (int size : { 128, 256 })
        EXPECT_EQ(sizeOf(size), std::min(size, largest)) << size;
}

// Every group of the file, icons and cursors, rebuilt as the file it was:
// as many groups as the count of icons, nothing left out of a sound file,
// and each written image the very bytes its resource holds.
TEST_P(Corpus, EveryGroupRebuildsWithItsImagesAsStored)
{
    const CorpusFile& f = GetParam();
    const std::vector<std::uint8_t> all = ReadBytes(f.path);
    for (const GroupKind kind : { GroupKind::Icon, GroupKind::Cursor }) {
        auto source = IconSource::fromFile(f.path, kind);
        ASSERT_TRUE(source);
        if (kind == GroupKind::Icon) {
            ASSERT_EQ(source->count(), f.iconGroups);
        }
        for (int i = 0; i < source->count(); ++i) {
            SCOPED_TRACE((kind == GroupKind::Icon ? "icon group " : "cursor group ")
                + std::to_string(i) + " " + source->groupName(i).text());
            const Result<RebuiltGroup> rebuilt = source->originalGroup(i);
            ASSERT_TRUE(rebuilt) << rebuilt.message();
            EXPECT_TRUE(rebuilt->leftOut.empty()) << rebuilt->leftOut.front().reason;
            const auto back = kit::ReadGroupFile(rebuilt->file);
            ASSERT_TRUE(back);
            EXPECT_EQ(back->type, kind == GroupKind::Icon ? 1 : 2);
            const std::vector<IconCandidate> images = source->images(i);
            ASSERT_EQ(back->images.size(), images.size());
            for (std::size_t k = 0; k < images.size(); ++k) {
                const ImageRange& r = images[k].data;
                ASSERT_LE(r.offset + r.length, all.size());
                const std::vector<std::uint8_t> stored(
                    all.begin() + static_cast<std::ptrdiff_t>(r.offset),
                    all.begin() + static_cast<std::ptrdiff_t>(r.offset + r.length));
                EXPECT_EQ(back->images[k], stored) << "image " << k;
            }
            EXPECT_EQ(RebuildGroupOfBytes(all, i, kind)->file, rebuilt->file);
        }
    }
}

// Count and every icon of the damaged bytes; the bytes are an exact-size heap
// copy so that the sanitizer catches a read one past their end.
void Exercise(const std::vector<std::uint8_t>& bytes)
{
    const IconSource source(bytes);
    const int n = std::min(source.count(), 400);
    for (int i = 0; i < n; ++i) {
        (void)source.icon(i);
        (void)source.originalGroup(i);
    }
    const IconSource cursors(bytes, GroupKind::Cursor);
    for (int i = 0; i < std::min(cursors.count(), 400); ++i)
        (void)cursors.originalGroup(i);
}

TEST_P(Corpus, TruncatedAndFlippedCopiesFinish)
{
    const CorpusFile& f = GetParam();
    const std::vector<std::uint8_t> all = ReadBytes(f.path);
    ASSERT_FALSE(all.empty());
    std::uint64_t rsrc = 0;
    std::size_t rsrcSize = 0;
    const MemorySource whole(all);
    if (auto pe = PeResourceReader::open(whole)) {
        rsrc = pe->resourceOffset();
        rsrcSize = pe->resourceSize();
    }

    // Cuts in the headers, inside the resource directory and near the end.
    std::vector<std::size_t> cuts = { 2, 64, 0x3C + 4, 300, 1024, all.size() / 2, all.size() - 1 };
    if (rsrcSize)
        for (std::size_t k :
            { std::size_t { 10 }, std::size_t { 100 }, std::size_t { 2000 }, rsrcSize / 2 })
            cuts.push_back(static_cast<std::size_t>(rsrc) + k);
    for (std::size_t n : cuts) {
        if (n > all.size())
            continue;
        SCOPED_TRACE("cut at " + std::to_string(n));
        Exercise(
            std::vector<std::uint8_t>(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(n)));
    }

    // Flips: anywhere, in the headers, and in the resource directory, where a
    // flip changes a count, an offset or a size.
    std::mt19937 rng(20240601u + static_cast<unsigned>(all.size()));
    for (int round = 0; round < 4; ++round) {
        std::vector<std::uint8_t> b(all.begin(), all.end());
        for (int k = 0; k < 48; ++k) {
            std::size_t at = 0;
            switch (k % 3) {
            case 0:
                at = rng() % b.size();
                break;
            case 1:
                at = rng() % std::min<std::size_t>(b.size(), 1024);
                break;
            case 2:
                at = rsrcSize
                    ? static_cast<std::size_t>(rsrc) + rng() % std::min<std::size_t>(rsrcSize, 8192)
                    : rng() % b.size();
                break;
            }
            b[at] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        }
        SCOPED_TRACE("flip round " + std::to_string(round));
        Exercise(b);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, Corpus, ::testing::ValuesIn(LoadManifest()),
    [](const auto& info) { return TestName(info.param); });

} // namespace
