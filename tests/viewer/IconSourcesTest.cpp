// What the viewer takes from a destination's catalogue, where its window's
// tests cannot reach as directly (and where the sanitizer build runs them):
// a damaged catalogue and files that cannot be looked up; the picture of an
// original group, its largest image whatever its format; and Save Full
// Icon's file, written whole and never over another.

#include "viewer/IconSources.h"
#include "viewer/FullIconFile.h"
#include "viewer/OriginalImage.h"

#include "SourcedIcons.h"
#include "files/NativePath.h"
#include "kit/Catalogues.h"
#include "kit/ErrorOf.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <sys/stat.h>

namespace {

using namespace glyphor;
using glyphor::kit::Bytes;
using glyphor::test::OriginalGroup;
using glyphor::test::RecordSources;

QString Q(const std::string& bytes)
{
    return files::FromNativePath(bytes);
}

class IconSourcesLookup : public testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 4; ++i)
            kit::WriteBytes(folder.file(name(i)), kit::FakeIconFile(i));
    }
    static std::string name(int i) { return "Icon000" + std::to_string(i) + ".ico"; }
    QString path(int i) const { return Q(folder.file(name(i))); }

    kit::ScratchFolder folder;
};

TEST_F(IconSourcesLookup, ADamagedCatalogueIsNamedAndLeftAsItIs)
{
    const Bytes damaged(600, 'x');
    kit::WriteBytes(folder.file("glyphor2-catalogue.sqlite"), damaged);
    IconSources sources(Q(folder.path()));
    EXPECT_TRUE(sources.lookup(path(1)).places.empty());
    EXPECT_TRUE(sources.found());
    EXPECT_EQ(sources.problems(),
        QStringList { Q("The catalogue " + folder.file("glyphor2-catalogue.sqlite")
            + " is damaged (file is not a database)") });
    EXPECT_EQ(kit::ReadBytes(folder.file("glyphor2-catalogue.sqlite")), damaged);
    EXPECT_EQ(folder.names().size(), 5u);
}

TEST_F(IconSourcesLookup, AFileThatCannotBeHashedHasNoSources)
{
    RecordSources(folder.path(), name(1), { { "/src/a.exe", "", 0, {}, OriginalGroup(48, 48, 1) } },
        1700000000);
    IconSources sources(Q(folder.path()));
    kit::WriteBytes(folder.file("huge.ico"), Bytes(kMaxLookedUpIconFile + 1, 1));
    ASSERT_EQ(::mkfifo(folder.file("fifo.ico").c_str(), 0600), 0);
    // The same catalogue finds the file that can be read.
    EXPECT_EQ(sources.lookup(path(1)).places.size(), 1u);
    EXPECT_TRUE(sources.lookup(path(1)).originalKept);
    for (const char* file : { "huge.ico", "fifo.ico", "missing.ico" }) {
        const IconSourcesFound found = sources.lookup(Q(folder.file(file)));
        EXPECT_FALSE(found.hash) << file;
        EXPECT_TRUE(found.places.empty()) << file;
    }
}

// The largest image of an original group, by its directory entry.
struct LargestCase {
    const char* name;
    Bytes group;
    int width; // 0: no picture
    int height;
    bool png;
    int bitCount;
    std::string failure;
};

Bytes Damaged(const Bytes& image)
{
    Bytes out = image;
    out.resize(20);
    return out;
}

const LargestCase kLargestCases[] = {
    { "PngLargestListedLast", OriginalGroup(96, 80, 3), 96, 80, true, 32, "" },
    { "OfTwoOfOneWidthTheDeeper",
        kit::MakeIcoFile({ { 48, 48, 8 }, { 48, 48, 32 }, { 32, 32, 4 } },
            { kit::PatternDib(48, 48, 8), kit::PatternDib(48, 48, 32),
                kit::PatternDib(32, 32, 4) }),
        48, 48, false, 32, "" },
    { "DamagedLargestGivesTheNext",
        kit::MakeIcoFile({ { 64, 64, 32 }, { 24, 24, 8 } },
            { Damaged(kit::PatternDib(64, 64, 32)), kit::PatternDib(24, 24, 8) }),
        24, 24, false, 8, "" },
    { "NoImageDecodes",
        kit::MakeIcoFile({ { 64, 64, 32 } }, { Damaged(kit::PatternDib(64, 64, 32)) }), 0, 0, false,
        0, "Icon image is not valid: " },
    { "NotAnIconFile", Bytes(300, 7), 0, 0, false, 0, "The original icon is not an icon file" },
};

class LargestOriginal : public testing::TestWithParam<LargestCase> { };

TEST_P(LargestOriginal, IsShown)
{
    const LargestCase& c = GetParam();
    const Result<OriginalImage> found = LargestOriginalImage(c.group);
    if (c.width == 0) {
        ASSERT_FALSE(found);
        EXPECT_EQ(found.message().substr(0, c.failure.size()), c.failure);
        return;
    }
    ASSERT_TRUE(found) << found.message();
    EXPECT_EQ(found->image.width, c.width);
    EXPECT_EQ(found->image.height, c.height);
    EXPECT_EQ(found->png, c.png);
    EXPECT_EQ(found->bitCount, c.bitCount);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, LargestOriginal, testing::ValuesIn(kLargestCases), glyphor::kit::RowName {});

TEST(LargestOriginalImage, KeepsTheColoursAndAlphaOfAPng)
{
    const Result<OriginalImage> found = LargestOriginalImage(OriginalGroup(40, 30, 9));
    ASSERT_TRUE(found) << found.message();
    EXPECT_EQ(found->image, glyphor::test::AlphaPicture(40, 30, 9));
    EXPECT_EQ(found->images, 3);
}

TEST(FullIconFile, IsWrittenWholeAndNeverOverAnotherFile)
{
    kit::ScratchFolder folder;
    const Bytes group = OriginalGroup(64, 64, 4);
    const QString out = Q(folder.file("full\xE9.ico"));
    WriteFullIconFile(out, group);
    EXPECT_EQ(kit::ReadBytes(folder.file("full\xE9.ico")), group);

    const Bytes mine { 1, 2, 3 };
    kit::WriteBytes(folder.file("mine.ico"), mine);
    ASSERT_EQ(::symlink("nowhere", folder.file("link.ico").c_str()), 0);
    const struct {
        std::string file;
        std::string message;
    } refused[] = {
        { "full\xE9.ico", "full\\xE9.ico: File exists" },
        { "mine.ico", "mine.ico: File exists" },
        { "link.ico", "link.ico: File exists" },
        { "none/x.ico", "none/x.ico: No such file or directory" },
    };
    for (const auto& r : refused) {
        EXPECT_EQ(kit::ErrorOf([&] { WriteFullIconFile(Q(folder.file(r.file)), group); }),
            "Cannot create file " + files::MessagePath(Q(folder.path())) + "/" + r.message);
    }
    EXPECT_EQ(kit::ReadBytes(folder.file("full\xE9.ico")), group);
    EXPECT_EQ(kit::ReadBytes(folder.file("mine.ico")), mine);
    // Nothing else was left behind, no temporary file either.
    EXPECT_EQ(
        folder.names(), (std::vector<std::string> { "full\xE9.ico", "link.ico", "mine.ico" }));
}

} // namespace
