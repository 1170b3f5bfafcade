// Scan Tree, Scan File, Save Icon and the merge on a source tree and a
// destination whose names are not UTF-8, through the platform's own
// extraction, so that every open, stat, rename and unlink on the way sees the
// names' bytes.

#include "RunFixture.h"

#include "ByteNames.h"
#include "PeBuilder.h"
#include "harvest/IconProvider.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"

namespace glyphor {
namespace {

using glyphor::platform::FromNativePath;
using glyphor::platform::ToNativePath;
// Not "Bytes": the fixture has a member of that name.
using ExeBytes = glyphor::testing::Bytes;

class ByteNames : public test::RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        src = root.path() + "/" + FromNativePath("Quelle \xE9t\xE9");
        dst = root.path() + "/" + FromNativePath("Ziel \xFC\x80");
        glyphor::testing::MakePath(src);
        glyphor::testing::MakePath(dst);
        browsers.sourceDirs.setDirectory(src);
        browsers.destDirs.setDirectory(dst);
    }
    void TearDown() override
    {
        glyphor::testing::RemoveAll(src);
        glyphor::testing::RemoveAll(dst);
    }

    QString Put(const std::string& relativeBytes, const ExeBytes& bytes)
    {
        const QString path = src + "/" + FromNativePath(relativeBytes);
        glyphor::testing::MakePath(platform::FolderOf(path));
        EXPECT_TRUE(glyphor::testing::WriteBytes(path, bytes));
        return path;
    }

    // The icon file a capture of seed's icon writes.
    std::vector<std::uint8_t> CaptureOf(const QString& exe)
    {
        const glyphor::testing::ByteTempDir scratch;
        CaptureObjects reference;
        const QString path = CaptureIcon(reference, platform, exe, 0, scratch.path());
        return glyphor::testing::ReadBytes(path);
    }

    // The destination's names, as their bytes, sorted.
    std::vector<std::string> DestinationNames(const QString& folder)
    {
        std::vector<std::string> names;
        for (const platform::DirEntry& e : platform::ListDirectory(folder))
            if (!(e.attributes & platform::faDirectory))
                names.push_back(ToNativePath(e.name));
        std::sort(names.begin(), names.end());
        return names;
    }

    HarvestRun& Run()
    {
        if (!m_platformRun) {
            m_platformRun = std::make_unique<HarvestRun>(host,
                browsers, objects,
                platform);
            m_platformRun->setPumpPace(PumpPace::Exact);
        }
        return *m_platformRun;
    }

    PlatformIconProvider platform;

private:
    std::unique_ptr<HarvestRun> m_platformRun;
};

TEST_F(ByteNames, ScanTreeHarvestsEveryFolderAndFile)
{
    Put("d\xE9mo/\xC9"
        "diteur.exe",
        glyphor::testing::PeWithOneIcon(1));
    Put("x\x80/a.exe", glyphor::testing::PeWithOneIcon(2));
    Put("x\x81/\xFF.DLL", glyphor::testing::PeWithOneIcon(3));
    Put("ok.exe", glyphor::testing::PeWithOneIcon(4));
    Run().scanTreeClick();

    EXPECT_EQ(Run().captured(), 4);
    EXPECT_EQ(Run().added(), 4);
    EXPECT_EQ(DestinationNames(dst),
        (std::vector<std::string> {
            "Icon0000.ico", "Icon0001.ico", "Icon0002.ico", "Icon0003.ico" }));
    EXPECT_FALSE(platform::AttributesOf(temp()).has_value());
    // The status texts name the files as the system does; the window shows
    // them with DisplayPath.
    EXPECT_TRUE(host.statuses.contains("Searching .... "
        + FromNativePath("\xC9"
                         "diteur.exe")
        + " Icon 1 of 1"));
    EXPECT_EQ(host.statuses.last(), "Ready.");
    EXPECT_EQ(browsers.destFiles.count(), 4);
}

TEST_F(ByteNames, ScanFileAndSaveIconTakeTheSelectedFileByItsBytes)
{
    const QString exe = Put("d\xE9mo/\xC9"
                            "diteur.exe",
        glyphor::testing::PeWithOneIcon(5));
    browsers.sourceDirs.setDirectory(platform::FolderOf(exe));
    browsers.sourceFiles.select(browsers.sourceFiles.items().indexOf(platform::FileNameOf(exe)));
    ASSERT_EQ(ToNativePath(browsers.sourceFiles.fileName()), ToNativePath(exe));
    Run().scanFileClick();
    EXPECT_EQ(Run().captured(), 1);
    ASSERT_EQ(DestinationNames(dst), std::vector<std::string> { "Icon0000.ico" });
    EXPECT_EQ(glyphor::testing::ReadBytes(dst + "/Icon0000.ico"), CaptureOf(exe));

    SetIconCounter(0);
    const QString saved = SaveIcon(objects, platform, dst, 0, exe);
    EXPECT_EQ(ToNativePath(saved), ToNativePath(dst) + "/Icon0001.ico");
    EXPECT_EQ(glyphor::testing::ReadBytes(saved), CaptureOf(exe));
}

// A destination file whose name is not UTF-8 is read and compared like any
// other: the icon it holds is not added again, and the merge goes through.
TEST_F(ByteNames, TheMergeComparesWithDestinationFilesOfSuchNames)
{
    const QString same = Put("a/same.exe", glyphor::testing::PeWithOneIcon(6));
    Put("b/new.exe", glyphor::testing::PeWithOneIcon(7));
    glyphor::testing::WriteBytes(dst + "/" + FromNativePath("Ic\xF4ne.ico"), CaptureOf(same));
    glyphor::testing::WriteBytes(dst + "/" + FromNativePath("\xFF.ico"),
        CaptureOf(Put("c.dat", glyphor::testing::PeWithOneIcon(8))));
    browsers.destFiles.reread();
    ASSERT_EQ(browsers.destFiles.count(), 2);

    Run().scanTreeClick();
    EXPECT_EQ(Run().captured(), 2);
    EXPECT_EQ(Run().added(), 1);
    EXPECT_EQ(DestinationNames(dst),
        (std::vector<std::string> { "Icon0000.ico", "Ic\xF4ne.ico", "\xFF.ico" }));
    EXPECT_FALSE(platform::AttributesOf(temp()).has_value());
    EXPECT_EQ(host.statuses.last(), "Ready.");
}

} // namespace
} // namespace glyphor
