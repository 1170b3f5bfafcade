#include "RunCli.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

} // namespace
