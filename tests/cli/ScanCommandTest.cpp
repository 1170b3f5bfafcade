#include "RunCli.h"

#include "platform/NativePath.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace glyphor::testing;

// scan-file takes the file by its exact name, wildcards and all, next to a
// file without icons that the name would match as a pattern.
struct WildName {
    const char* file;
    const char* sibling;
};

class ScanFileName : public ::testing::TestWithParam<WildName> {};

TEST_P(ScanFileName, TheFileItselfIsScanned)
{
    QTemporaryDir root;
    QDir(root.path()).mkdir("D");
    Write(root.filePath(GetParam().file), ExeWithOneIcon());
    Write(root.filePath(GetParam().sibling), {'M', 'Z'});
    const Output o = RunCli({"scan-file", GetParam().file, "D"}, root.path());
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "captured 1, added 1\n");
    EXPECT_EQ(QDir(root.filePath("D")).entryList(QDir::Files).join(',').toStdString(), "Icon0000.ico");
}

INSTANTIATE_TEST_SUITE_P(Names, ScanFileName,
                         ::testing::Values(WildName{"a*b.exe", "axb.exe"}, WildName{"a?.exe", "ab.exe"},
                                         WildName{"pic?.bin", "picX.bin"}));

// A wrong argument is named in the error, with the system's text.
struct WrongArgument {
    QStringList args;
    std::string named;
    const char* reason;
};

TEST(ScanCommand, AWrongArgumentIsNamed)
{
    QTemporaryDir root;
    QDir(root.path()).mkdir("S");
    QDir(root.path()).mkdir("D");
    Write(root.filePath("f.exe"), {'M', 'Z'});
    const WrongArgument cases[] = {
        {{"scan-tree", "nowhere", "D"}, "nowhere", "No such file or directory"},
        {{"scan-tree", "S", "gone/D"}, "gone/D", "No such file or directory"},
        {{"scan-tree", "S", "f.exe"}, "f.exe", "Not a directory"},
        {{"scan-file", "missing.exe", "D"}, "missing.exe", "No such file or directory"},
        {{"scan-file", "S", "D"}, "S", "Is a directory"},
    };
    for (const WrongArgument& c : cases) {
        const Output o = RunCli(c.args, root.path());
        EXPECT_EQ(o.status, 1) << c.args.join(' ').toStdString();
        EXPECT_EQ(o.err, c.named + ": " + c.reason + "\n") << c.args.join(' ').toStdString();
        EXPECT_TRUE(o.out.empty());
    }
}

// An "executable" that is an icon file whose one image is damaged: it counts
// one icon, which cannot be captured.
glyphor::testing::Bytes DamagedIconFile()
{
    using glyphor::testing::Bytes;
    Bytes image(40 + 600, 0);
    const std::uint8_t header[] = {40, 0, 0, 0, 32, 0, 0, 0, 64, 0, 0, 0, 1, 0, 7, 0}; // 7 bits per pixel
    std::copy(std::begin(header), std::end(header), image.begin());
    Bytes file = {0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 1, 0, 7, 0};
    const std::uint32_t size = std::uint32_t(image.size());
    for (std::uint32_t v : {size, 22u})
        for (int i = 0; i < 4; ++i)
            file.push_back(std::uint8_t(v >> (8 * i)));
    file.insert(file.end(), image.begin(), image.end());
    return file;
}

QStringList IconFiles(const QString& folder)
{
    return QDir(folder).entryList({"*.ico"}, QDir::Files | QDir::Hidden, QDir::Name);
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

class ScanExit : public testing::TestWithParam<ExitCase> {};

TEST_P(ScanExit, StatusAndSummarySayWhatHappened)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    QDir(root).mkpath("S/sub");
    QDir(root).mkdir("D");
    Write(root + "/S/a.exe", ExeWithOneIcon());
    GetParam().prepare(root);
    const Output o = RunCli({"scan-tree", "S", "D"}, root);
    EXPECT_EQ(o.status, GetParam().status) << o.err;
    EXPECT_EQ(o.out, GetParam().out);
    EXPECT_NE(o.err.find(GetParam().errContains), std::string::npos) << o.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScanExit,
    testing::Values(
        ExitCase{"Success", [](const QString&) {}, 0, "captured 1, added 1\n", ""},
        ExitCase{"DamagedIconBetweenTwoGoodOnes",
                 [](const QString& root) {
                     Write(root + "/S/b.exe", DamagedIconFile());
                     Write(root + "/S/sub/c.exe", ExeWithOneIcon());
                 },
                 3, "captured 2, added 1, skipped 1, 0 stayed in Temp\n",
                 "/S/b.exe Icon 1 of 1: Icon image is not valid\n"},
        // A fifo among the collected icons cannot be copied: "Copy Failed (202)".
        ExitCase{"CopyFailed",
                 [](const QString& root) {
                     QDir(root).mkpath("D/Temp");
                     ASSERT_EQ(::mkfifo(glyphor::platform::ToNativePath(root + "/D/Temp/pipe.ico").c_str(), 0600), 0);
                 },
                 3, "captured 1, added 1, skipped 0, 1 stayed in Temp\n", "Copy Failed (202)"}),
    [](const auto& info) { return std::string(info.param.name); });

// Another harvest into the destination holds its Temp: the run is refused at
// its start and changes nothing there.
TEST(ScanCommand, ASecondHarvestIntoOneDestinationIsRefused)
{
    QTemporaryDir root;
    QDir(root.path()).mkpath("S");
    QDir(root.path()).mkpath("D/Temp");
    Write(root.filePath("S/a.exe"), ExeWithOneIcon());
    Write(root.filePath("D/Temp/Icon0000.ico"), glyphor::testing::Bytes(766, 7));
    const int held = ::open(glyphor::platform::ToNativePath(root.filePath("D/Temp")).c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const Output o = RunCli({"scan-tree", "S", "D"}, root.path());
    ::close(held);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "Another harvest into " + root.filePath("D").toStdString() +
                         " is in progress; try again when it has ended\n");
    EXPECT_TRUE(o.out.empty());
    EXPECT_TRUE(IconFiles(root.filePath("D")).isEmpty());
    EXPECT_EQ(IconFiles(root.filePath("D/Temp")), QStringList({"Icon0000.ico"}));

    // Released, the same command takes the icon left there along.
    const Output again = RunCli({"scan-tree", "S", "D"}, root.path());
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(IconFiles(root.filePath("D")).size(), 2);
    EXPECT_FALSE(QFileInfo::exists(root.filePath("D/Temp")));
}

} // namespace
