#include "kit/QStringPrinting.h"

#include "harvest/CaptureIcon.h"
#include "harvest/IconCounter.h"
#include "harvest/IconProvider.h"
#include "kit/Executables.h"
#include "kit/FakeIconProvider.h"
#include "kit/NamedRows.h"
#include "kit/NativeFiles.h"
#include "util/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace glyphor {
namespace {

using kit::FakeIconProvider;
using kit::MakeIcon;

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class CaptureTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetIconCounter(0);
        source.add("app.exe", { MakeIcon(1), MakeIcon(2, 16), MakeIcon(3, 48) });
    }
    QStringList Files() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir dir;
    FakeIconProvider source;
    CaptureObjects objects;
};

TEST_F(CaptureTest, EverySizeGivesA766ByteFileAndTheListKeepsOneImage)
{
    for (int i = 0; i < 3; ++i) {
        const QString path = CaptureIcon(objects, source, "/x/app.exe", i, dir.path());
        EXPECT_EQ(QFileInfo(path).size(), 766) << i;
        EXPECT_EQ(objects.imageList1.count(), 1);
        ASSERT_TRUE(objects.image1.icon().has_value());
        EXPECT_EQ(objects.image1.icon()->width, 32);
        EXPECT_EQ(objects.image1.icon()->height, 32);
    }
    EXPECT_EQ(Files(), QStringList({ "Icon0000.ico", "Icon0001.ico", "Icon0002.ico" }));
    // The scan's holder keeps the icon last extracted, at its own size.
    EXPECT_EQ(objects.iconHolder.icon()->width, 48);
}

TEST_F(CaptureTest, TwoSavesOfOneIconGiveTwoEqualFiles)
{
    const QString a = SaveIcon(objects, source, dir.path(), 0, "/x/app.exe");
    const QString b = SaveIcon(objects, source, dir.path(), 0, "/x/app.exe");
    EXPECT_NE(a, b);
    EXPECT_EQ(ReadAll(a), ReadAll(b));
    EXPECT_EQ(ReadAll(a).size(), 766);
    // "Save Icon" uses a holder of its own; the scans' holder is untouched.
    EXPECT_FALSE(objects.iconHolder.hasIcon());
}

struct FailingSave {
    const char* name;
    int index;
    const char* file;
    bool missingFolder;
    const char* message;
};

class FailedSaveTest : public CaptureTest, public testing::WithParamInterface<FailingSave> { };

TEST_P(FailedSaveTest, LeavesNoFileAndTheNextSaveIsRight)
{
    const FailingSave& c = GetParam();
    const QString folder = c.missingFolder ? dir.filePath("gone") : dir.path();
    try {
        SaveIcon(objects, source, folder, c.index, c.file);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
    EXPECT_TRUE(Files().isEmpty()) << Files().join(",").toStdString();
    EXPECT_EQ(objects.imageList1.count(), 1);
    // A later save stores its own icon, not one left over in the list.
    const QString ok = SaveIcon(objects, source, dir.path(), 1, "/x/app.exe");
    const QString again = SaveIcon(objects, source, dir.path(), 1, "/x/app.exe");
    EXPECT_EQ(ReadAll(ok), ReadAll(again));
    CaptureObjects fresh;
    const QString reference = SaveIcon(fresh, source, dir.path(), 1, "/x/app.exe");
    EXPECT_EQ(ReadAll(ok), ReadAll(reference));
}

INSTANTIATE_TEST_SUITE_P(Cases, FailedSaveTest,
    testing::Values(
        FailingSave { "NothingSelected", -1, "/x/app.exe", false, "Icon image is not valid" },
        FailingSave { "IndexBeyondCount", 3, "/x/app.exe", false, "Icon image is not valid" },
        FailingSave { "NotAnExecutable", 0, "/x/none.txt", false, "Icon image is not valid" },
        FailingSave { "FolderMissing", 0, "/x/app.exe", true, "Cannot create file" }),
    glyphor::kit::RowName());

TEST_F(CaptureTest, SmallStandardSizeFailsBeforeWritingButAfterTakingTheName)
{
    CaptureObjects small(16);
    try {
        CaptureIcon(small, source, "/x/app.exe", 0, dir.path());
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid image size");
    }
    EXPECT_EQ(IconCounter(), 1);
    EXPECT_TRUE(Files().isEmpty());
    EXPECT_EQ(small.imageList1.count(), 1);
}

TEST(ImageList, HoldsItsStoredImageAndRefusesAnEmptyHolder)
{
    ImageList list;
    EXPECT_EQ(list.count(), 1);
    IconHolder empty;
    EXPECT_EQ(list.addIcon(empty), -1);
    EXPECT_FALSE(list.getIcon(1).has_value());
    IconHolder holder;
    holder.setIcon(MakeIcon(4, 48));
    EXPECT_EQ(list.addIcon(holder), 1);
    EXPECT_EQ(list.getIcon(1)->width, 32);
    list.remove(1);
    EXPECT_EQ(list.count(), 1);
}

} // namespace
} // namespace glyphor

namespace glyphor {
namespace {

TEST(CaptureCorpus, EveryIconOfARealExecutableGivesA766ByteFile)
{
    const QString exe = kit::CorpusFile("public/libwine-amd64/regedit.exe");
    if (exe.isEmpty())
        GTEST_SKIP() << "corpus absent";
    QTemporaryDir dir;
    SetIconCounter(0);
    CaptureObjects objects;
    PlatformIconProvider source;
    const int count = source.count(exe);
    ASSERT_GT(count, 1);
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(QFileInfo(CaptureIcon(objects, source, exe, i, dir.path())).size(), 766);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), count);
    EXPECT_EQ(objects.imageList1.count(), 1);
}

} // namespace
} // namespace glyphor

namespace glyphor {
namespace {

// The platform source keeps the file last asked about parsed; a file replaced
// or removed on disk must be read afresh.
TEST(PlatformIconProviderTest, AFileChangedOnDiskIsReadAgain)
{
    const QString many = kit::CorpusFile("public/libwine-amd64/regedit.exe");
    const QString one = kit::CorpusFile("public/libwine-amd64/notepad.exe");
    if (many.isEmpty() || one.isEmpty())
        GTEST_SKIP() << "corpus absent";
    QTemporaryDir dir;
    const QString path = dir.filePath("x.exe");
    ASSERT_TRUE(QFile::copy(many, path));
    PlatformIconProvider source;
    EXPECT_EQ(source.count(path), 6);
    EXPECT_TRUE(source.extract(path, 5).has_value());

    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::copy(one, path));
    EXPECT_EQ(source.count(path), 1);
    EXPECT_FALSE(source.extract(path, 5).has_value());
    EXPECT_EQ(source.extract(path, 0), PlatformIconProvider().extract(one, 0));

    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(source.count(path), 0);
    EXPECT_FALSE(source.extract(path, 0).has_value());
}

} // namespace
} // namespace glyphor

namespace glyphor {
namespace {

// A damaged icon of a real reader carries the reader's reason to whoever
// skips it; an index the file lacks stays nothing, as the icon picker and
// "Save Icon" without a selection need it.
TEST(PlatformIconProviderTest, ADamagedIconRaisesItsReasonAndNoFileIsLeft)
{
    QTemporaryDir dir;
    const QString exe = dir.filePath("bad.exe");
    ASSERT_TRUE(kit::WriteBytes(exe, kit::PeWithImageBeyondTheEnd()));
    const std::string why = "Icon image is not valid: image data lies beyond the end of the file";
    PlatformIconProvider source;
    ASSERT_EQ(source.count(exe), 1);
    EXPECT_FALSE(source.extract(exe, 1).has_value());
    EXPECT_FALSE(source.extract(exe, -1).has_value());
    try {
        source.extract(exe, 0);
        FAIL() << "no error";
    } catch (const EInvalidIcon& e) {
        EXPECT_EQ(e.what(), why);
    }

    const QString out = dir.filePath("out");
    ASSERT_TRUE(QDir().mkpath(out));
    CaptureObjects objects;
    try {
        CaptureIcon(objects, source, exe, 0, out);
        FAIL() << "no error";
    } catch (const EInvalidIcon& e) {
        EXPECT_EQ(e.what(), why);
    }
    EXPECT_TRUE(QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_EQ(objects.imageList1.count(), 1);
}

} // namespace
} // namespace glyphor
