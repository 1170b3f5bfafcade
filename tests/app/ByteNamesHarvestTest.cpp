// Scan Tree, Scan File, Save Icon and the merge on a source tree and a
// destination whose names are not UTF-8, through the platform's own
// extraction, so that every open, stat, rename and unlink on the way sees the
// names' bytes.

#include "RunFixture.h"

#include "files/NativePath.h"
#include "harvest/IconProvider.h"
#include "kit/Executables.h"
#include "kit/NativeFiles.h"
#include "kit/ScanFolders.h"
#include "platform/FileSystem.h"

namespace glyphor {
namespace {

using glyphor::files::FromNativePath;
using glyphor::files::ToNativePath;
// Not "Bytes": the fixture has a member of that name.
using ExeBytes = kit::Bytes;

class ByteNames : public test::RunFixture {
protected:
    ByteNames()
        : RunFixture(FromNativePath("Quelle \xE9t\xE9"), FromNativePath("Ziel \xFC\x80"))
    {
        provider = &platform;
    }

    QString Put(const std::string& relativeBytes, const ExeBytes& bytes)
    {
        return folders.putSource(FromNativePath(relativeBytes), bytes);
    }

    // The icon file a capture of seed's icon writes.
    std::vector<std::uint8_t> CaptureOf(const QString& exe)
    {
        const kit::ScratchFolder scratch;
        CaptureObjects reference;
        const QString path = CaptureIcon(reference, platform, exe, 0, kit::PathOf(scratch));
        return kit::ReadBytes(path);
    }

    // The destination's names, as their bytes, sorted.
    std::vector<std::string> DestinationNames(const QString& folder)
    {
        std::vector<std::string> names;
        for (const platform::DirEntry& e : platform::ListDirectory(folder))
            if (!(e.attributes & platform::faDirectory) && !kit::IsCatalogueName(e.name))
                names.push_back(ToNativePath(e.name));
        std::sort(names.begin(), names.end());
        return names;
    }

    HarvestController& Run() { return engine(); }

    PlatformIconProvider platform;
};

TEST_F(ByteNames, ScanTreeHarvestsEveryFolderAndFile)
{
    Put("d\xE9mo/\xC9"
        "diteur.exe",
        kit::PeWithOneIcon(1));
    Put("x\x80/a.exe", kit::PeWithOneIcon(2));
    Put("x\x81/\xFF.DLL", kit::PeWithOneIcon(3));
    Put("ok.exe", kit::PeWithOneIcon(4));
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
        kit::PeWithOneIcon(5));
    browsers.sourceDirs.setDirectory(platform::FolderOf(exe));
    browsers.sourceFiles.select(browsers.sourceFiles.items().indexOf(platform::FileNameOf(exe)));
    ASSERT_EQ(ToNativePath(browsers.sourceFiles.fileName()), ToNativePath(exe));
    Run().scanFileClick();
    EXPECT_EQ(Run().captured(), 1);
    ASSERT_EQ(DestinationNames(dst), std::vector<std::string> { "Icon0000.ico" });
    EXPECT_EQ(kit::ReadBytes(dst + "/Icon0000.ico"), CaptureOf(exe));

    SetIconCounter(0);
    const QString saved = SaveIcon(objects, platform, dst, 0, exe);
    EXPECT_EQ(ToNativePath(saved), ToNativePath(dst) + "/Icon0001.ico");
    EXPECT_EQ(kit::ReadBytes(saved), CaptureOf(exe));
}

// A destination file whose name is not UTF-8 is read and compared like any
// other: the icon it holds is not added again, and the merge goes through.
TEST_F(ByteNames, TheMergeComparesWithDestinationFilesOfSuchNames)
{
    const QString same = Put("a/same.exe", kit::PeWithOneIcon(6));
    Put("b/new.exe", kit::PeWithOneIcon(7));
    kit::WriteBytes(dst + "/" + FromNativePath("Ic\xF4ne.ico"), CaptureOf(same));
    kit::WriteBytes(
        dst + "/" + FromNativePath("\xFF.ico"), CaptureOf(Put("c.dat", kit::PeWithOneIcon(8))));
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
