// The tool's manners as a user meets them: help and version, exit statuses,
// errors that name the file and the reason, and output files that appear
// whole or not at all.

#include "RunCli.h"

#include "kit/Executables.h"
#include "kit/NativeFiles.h"

#include "files/NativePath.h"
#include "iconfile/ImageDecoder.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace glyphor::test;
using glyphor::kit::PeWithOneIcon;
using glyphor::kit::WriteBytes;

struct Call {
    const char* name;
    QStringList args;
    int status;
    std::string out; // the start of stdout
};

TEST(CommandLine, HelpVersionAndUsageErrors)
{
    QTemporaryDir root;
    const Call calls[] = {
        { "help", { "--help" }, 0, "usage: glyphor2-cli [--quiet] COMMAND" },
        { "short help", { "-h" }, 0, "usage: glyphor2-cli [--quiet] COMMAND" },
        { "version", { "--version" }, 0, "glyphor2-cli " G2_VERSION "\n" },
        { "help of a command", { "thumbnail", "--help" }, 0,
            "usage: glyphor2-cli thumbnail FILE OUT.png SIZE" },
        { "nothing", {}, 2, "" },
        { "unknown option", { "--bogus", "icons", "f" }, 2, "" },
        { "unknown command", { "iconz", "f" }, 2, "" },
        { "too few arguments", { "icons" }, 2, "" },
        { "a size that is no number", { "thumbnail", "f", "o.png", "big" }, 2, "" },
        { "a size of 0", { "thumbnail", "f", "o.png", "0" }, 2, "" },
    };
    for (const Call& c : calls) {
        const Output o = RunCli(c.args, root.path());
        EXPECT_EQ(o.status, c.status) << c.name;
        EXPECT_EQ(o.out.substr(0, c.out.size()), c.out) << c.name;
        if (c.status == 0)
            EXPECT_TRUE(o.err.empty()) << c.name << ": " << o.err;
        else
            EXPECT_TRUE(o.out.empty() && !o.err.empty()) << c.name;
    }
}

TEST(CommandLine, AFileThatCannotBeReadIsAnErrorNamingIt)
{
    QTemporaryDir root;
    QDir(root.path()).mkdir("S");
    struct Case {
        QStringList args;
        std::string err;
    };
    std::vector<Case> cases = {
        { { "icons", "missing.exe" }, "missing.exe: No such file or directory\n" },
        { { "icons", "S" }, "S: Is a directory\n" },
        { { "capture", "missing.exe", "0", "o.ico" }, "missing.exe: No such file or directory\n" },
        { { "capture-all", "missing.exe", "S" }, "missing.exe: No such file or directory\n" },
        { { "thumbnail", "S", "o.png", "32" }, "S: Is a directory\n" },
    };
    // Permissions do not hold root back, so that case needs another user.
    if (::geteuid() != 0) {
        WriteBytes(root.filePath("locked.exe"), PeWithOneIcon(1));
        QFile::setPermissions(root.filePath("locked.exe"), {});
        cases.push_back({ { "icons", "locked.exe" }, "locked.exe: Permission denied\n" });
    }
    for (const Case& c : cases) {
        const Output o = RunCli(c.args, root.path());
        EXPECT_EQ(o.status, 1) << c.args.join(' ').toStdString();
        EXPECT_EQ(o.err, c.err) << c.args.join(' ').toStdString();
        EXPECT_TRUE(o.out.empty()) << c.args.join(' ').toStdString();
    }
    EXPECT_EQ(QDir(root.path()).entryList(QDir::Files).join(',').toStdString(),
        ::geteuid() != 0 ? "locked.exe" : "");
}

TEST(CommandLine, AnIndexOutOfRangeSaysHowManyIconsTheFileHas)
{
    QTemporaryDir root;
    WriteBytes(root.filePath("one.exe"), PeWithOneIcon(1));
    WriteBytes(root.filePath("none.exe"), { 'M', 'Z' });
    const Call calls[] = {
        { "past the end", { "capture", "one.exe", "5", "o.ico" }, 1,
            "one.exe has 1 icon; 5 is out of range\n" },
        { "negative", { "capture", "one.exe", "-1", "o.ico" }, 1,
            "one.exe has 1 icon; -1 is out of range\n" },
        { "no icons at all", { "capture", "none.exe", "0", "o.ico" }, 1,
            "none.exe has 0 icons; 0 is out of range\n" },
    };
    for (const Call& c : calls) {
        const Output o = RunCli(c.args, root.path());
        EXPECT_EQ(o.status, c.status) << c.name;
        EXPECT_EQ(o.err, c.out) << c.name;
        EXPECT_FALSE(QFile::exists(root.filePath("o.ico"))) << c.name;
    }
    EXPECT_EQ(RunCli({ "capture", "one.exe", "0", "o.ico" }, root.path()).status, 0);
    EXPECT_EQ(QFile(root.filePath("o.ico")).size(), 766);
}

TEST(CommandLine, AThumbnailAppearsWholeOrNotAtAll)
{
    QTemporaryDir root;
    WriteBytes(root.filePath("one.exe"), PeWithOneIcon(1));
    WriteBytes(root.filePath("none.exe"), { 'M', 'Z' });
    WriteBytes(root.filePath("old.png"), { 'o', 'l', 'd' });

    Output o = RunCli({ "thumbnail", "one.exe", "new.png", "256" }, root.path());
    ASSERT_EQ(o.status, 0) << o.err;
    QFile png(root.filePath("new.png"));
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    const QByteArray bytes = png.readAll();
    auto image = glyphor::DecodePng(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 32);
    // Readable by the file manager that asked for it, as any new file is.
    EXPECT_TRUE(png.permissions() & QFileDevice::ReadOther);

    // A failure leaves an existing file as it was and no temporary beside it.
    o = RunCli({ "thumbnail", "none.exe", "old.png", "32" }, root.path());
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "none.exe: The file holds no icons\n");
    o = RunCli({ "thumbnail", "one.exe", "gone/x.png", "32" }, root.path());
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "Cannot create file gone/x.png: No such file or directory\n");
    EXPECT_EQ(QDir(root.path()).entryList(QDir::Files).join(',').toStdString(),
        "new.png,none.exe,old.png,one.exe");
    QFile old(root.filePath("old.png"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old");
}

// A name as long as the system allows is written like any other, the
// temporary file beside it staying within the limit on a name.
TEST(CommandLine, AThumbnailTakesTheLongestName)
{
    QTemporaryDir root;
    WriteBytes(root.filePath("one.exe"), PeWithOneIcon(1));
    const QString longest = QString(251, QLatin1Char('n')) + ".png";
    const Output o = RunCli({ "thumbnail", "one.exe", longest, "32" }, root.path());
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(QFile::exists(root.filePath(longest)));
    EXPECT_EQ(QDir(root.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(CommandLine, AScanOffATerminalShowsNoProgressAndQuietNothing)
{
    QTemporaryDir root;
    QDir(root.path()).mkdir("D");
    QDir(root.path()).mkdir("E");
    WriteBytes(root.filePath("one.exe"), PeWithOneIcon(1));
    const Output plain = RunCli({ "scan-file", "one.exe", "D" }, root.path());
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out, "captured 1, added 1\n");
    EXPECT_EQ(plain.err, "");
    const Output quiet = RunCli({ "--quiet", "scan-file", "one.exe", "E" }, root.path());
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "captured 1, added 1\n");
    EXPECT_EQ(quiet.err, "");
}

} // namespace
