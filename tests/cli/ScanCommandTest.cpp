#include "RunCli.h"

#include "iconfile/IconFileWriter.h"
#include "kit/Executables.h"
#include "kit/FakeIconProvider.h"
#include "kit/IconImages.h"
#include "kit/NativeFiles.h"
#include "kit/ScanFolders.h"

#include "files/NativePath.h"
#include "kit/NamedRows.h"

#include <QDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace glyphor::test;
using glyphor::kit::PeWithOneIcon;
using glyphor::kit::ScanFolders;
using glyphor::kit::WriteBytes;

// scan-file takes the file by its exact name, wildcards and all, next to a
// file without icons that the name would match as a pattern.
struct WildName {
    const char* file;
    const char* sibling;
};

class ScanFileName : public ::testing::TestWithParam<WildName> { };

TEST_P(ScanFileName, TheFileItselfIsScanned)
{
    ScanFolders root;
    WriteBytes(root.filePath(GetParam().file), PeWithOneIcon(1));
    WriteBytes(root.filePath(GetParam().sibling), { 'M', 'Z' });
    const Output o = RunCli({ "scan-file", GetParam().file, "D" }, root.path());
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "captured 1, added 1\n");
    EXPECT_EQ(glyphor::kit::WithoutCatalogue(QDir(root.filePath("D")).entryList(QDir::Files))
                  .join(',')
                  .toStdString(),
        "Icon0000.ico");
}

INSTANTIATE_TEST_SUITE_P(Names, ScanFileName,
    ::testing::Values(WildName { "a*b.exe", "axb.exe" }, WildName { "a?.exe", "ab.exe" },
        WildName { "pic?.bin", "picX.bin" }));

// A wrong argument is named in the error, with the system's text.
struct WrongArgument {
    QStringList args;
    std::string named;
    const char* reason;
};

TEST(ScanCommand, AWrongArgumentIsNamed)
{
    ScanFolders root;
    WriteBytes(root.filePath("f.exe"), { 'M', 'Z' });
    const WrongArgument cases[] = {
        { { "scan-tree", "nowhere", "D" }, "nowhere", "No such file or directory" },
        { { "scan-tree", "S", "gone/D" }, "Destination folder gone/D",
            "No such file or directory" },
        { { "scan-tree", "S", "f.exe" }, "Destination folder f.exe", "Not a directory" },
        { { "scan-file", "missing.exe", "D" }, "missing.exe", "No such file or directory" },
        { { "scan-file", "S", "D" }, "S", "Is a directory" },
    };
    for (const WrongArgument& c : cases) {
        const Output o = RunCli(c.args, root.path());
        EXPECT_EQ(o.status, 1) << c.args.join(' ').toStdString();
        EXPECT_EQ(o.err, c.named + ": " + c.reason + "\n") << c.args.join(' ').toStdString();
        EXPECT_TRUE(o.out.empty());
    }
}

QStringList IconFiles(const QString& folder)
{
    return QDir(folder).entryList({ "*.ico" }, QDir::Files | QDir::Hidden, QDir::Name);
}

// Exit statuses: 0 when everything was taken, 3 when the harvest came to its
// end but left icons behind (with the summary saying how many stayed in
// Temp), 1 when it could not run at all.
struct ExitCase {
    const char* name;
    std::function<void(const QString& root)> prepare;
    int status;
    std::string out;
    std::string errContains;
};

void PrintTo(const ExitCase& c, std::ostream* os)
{
    *os << c.name;
}

class ScanExit : public testing::TestWithParam<ExitCase> { };

TEST_P(ScanExit, StatusAndSummarySayWhatHappened)
{
    ScanFolders folders;
    const QString root = folders.path();
    folders.putSource("a.exe", PeWithOneIcon(1));
    glyphor::kit::MakePath(folders.source() + "/sub");
    GetParam().prepare(root);
    const Output o = RunCli({ "scan-tree", "S", "D" }, root);
    EXPECT_EQ(o.status, GetParam().status) << o.err;
    EXPECT_EQ(o.out, GetParam().out);
    EXPECT_NE(o.err.find(GetParam().errContains), std::string::npos) << o.err;
}

INSTANTIATE_TEST_SUITE_P(Cases, ScanExit,
    testing::Values(ExitCase { "Success", [](const QString&) {}, 0, "captured 1, added 1\n", "" },
        ExitCase { "DamagedIconBetweenTwoGoodOnes",
            [](const QString& root) {
                WriteBytes(root + "/S/b.exe", glyphor::kit::IconFileOfAnUnreadableImage());
                WriteBytes(root + "/S/sub/c.exe", PeWithOneIcon(1));
            },
            3, "captured 2, added 1, skipped 1, 0 stayed in Temp\n",
            "/S/b.exe Icon 1 of 1: Icon image is not valid: unsupported depth of 7 bits per "
            "pixel\n" },
        // A fifo among the collected icons cannot be copied: "Copy Failed (202)".
        ExitCase { "CopyFailed",
            [](const QString& root) {
                glyphor::kit::MakeHarvestTemp(root + "/D/Temp");
                ASSERT_EQ(
                    ::mkfifo(
                        glyphor::files::ToNativePath(root + "/D/Temp/Icon0009.ico").c_str(), 0600),
                    0);
            },
            3, "captured 1, added 1, skipped 0, 1 stayed in Temp\n", "Copy Failed (202)" }),
    glyphor::kit::RowName());

// A collected icon that cannot be copied in is named with the reason, after
// the status line the window shows for it.
TEST(ScanCommand, ACopyThatFailsIsNamedWithItsReason)
{
    ScanFolders root;
    root.putSource("a.exe", PeWithOneIcon(1));
    root.makeTemp();
    ASSERT_EQ(
        ::mkfifo(glyphor::files::ToNativePath(root.filePath("D/Temp/Icon0009.ico")).c_str(), 0600),
        0);
    const Output o = RunCli({ "scan-tree", "S", "D" }, root.path());
    EXPECT_EQ(o.status, 3);
    EXPECT_NE(o.err.find("Copy Failed (202)\nCopy Failed (202): "
                  + root.filePath("D/Temp/Icon0009.ico").toStdString() + ": not a regular file\n"),
        std::string::npos)
        << o.err;
}

// Another harvest into the destination holds its Temp: the run is refused at
// its start and changes nothing there.
TEST(ScanCommand, ASecondHarvestIntoOneDestinationIsRefused)
{
    ScanFolders root;
    root.putSource("a.exe", PeWithOneIcon(1));
    root.makeTemp();
    WriteBytes(
        root.filePath("D/Temp/Icon0000.ico"), glyphor::EncodeIconFile(glyphor::kit::MakeIcon(7)));
    const int held = ::open(
        glyphor::files::ToNativePath(root.filePath("D/Temp")).c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const Output o = RunCli({ "scan-tree", "S", "D" }, root.path());
    ::close(held);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err,
        "Another harvest into " + root.filePath("D").toStdString()
            + " is in progress; try again when it has ended\n");
    EXPECT_TRUE(o.out.empty());
    EXPECT_TRUE(IconFiles(root.filePath("D")).isEmpty());
    EXPECT_EQ(IconFiles(root.filePath("D/Temp")), QStringList({ "Icon0000.ico" }));

    // Released, the same command takes the icon left there along.
    const Output again = RunCli({ "scan-tree", "S", "D" }, root.path());
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(IconFiles(root.filePath("D")).size(), 2);
    EXPECT_FALSE(QFileInfo::exists(root.filePath("D/Temp")));
}

} // namespace
