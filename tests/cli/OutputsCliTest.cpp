// What show and thumbnail do with OUT, and what every command does when its
// standard output cannot be written: nothing at OUT is ever written over (a
// user's file, a link, the input itself), thumbnail fills the empty file a
// file manager made, - is standard output, and a failed write to standard
// output fails the run.

#include "RunCli.h"

#include "iconfile/ImageDecoder.h"
#include "kit/Executables.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>

#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using glyphor::kit::Bytes;
using glyphor::kit::ReadBytes;
using glyphor::kit::ScratchFolder;
using glyphor::kit::WriteBytes;
using glyphor::test::Output;
using glyphor::test::RunCli;
using glyphor::test::StdoutTo;

// Everything in a folder as it is on the disk: each name with its kind and
// its bytes, or a link's target.
std::map<std::string, std::string> Snapshot(const ScratchFolder& folder)
{
    std::map<std::string, std::string> out;
    for (const std::string& name : folder.names()) {
        const std::string path = folder.file(name);
        struct stat st { };
        ::lstat(path.c_str(), &st);
        if (S_ISLNK(st.st_mode)) {
            char target[256] = {};
            static_cast<void>(::readlink(path.c_str(), target, sizeof target - 1));
            out[name] = std::string("link to ") + target;
        } else if (S_ISREG(st.st_mode)) {
            const Bytes bytes = ReadBytes(path);
            out[name] = "file " + std::string(bytes.begin(), bytes.end());
        } else {
            out[name] = "other";
        }
    }
    return out;
}

// The size of a PNG; 0 x 0 when it does not decode.
std::pair<int, int> PngSize(const Bytes& png)
{
    auto image = glyphor::DecodePng(png);
    return image ? std::pair(image->width, image->height) : std::pair(0, 0);
}

Bytes AsBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// A folder with an executable of one icon and an icon file, as the commands
// read them.
class OutputsCli : public testing::Test {
protected:
    void SetUp() override
    {
        WriteBytes(folder.file("one.exe"), glyphor::kit::PeWithOneIcon(1));
        ASSERT_EQ(RunCli({ "capture", "one.exe", "0", "a.ico" }, folder.path()).status, 0);
    }
    Output Run(const std::vector<std::string>& args, StdoutTo to = StdoutTo::File)
    {
        return RunCli(args, folder.path(), to);
    }

    ScratchFolder folder;
};

// What is at out.png before a command that must leave it alone.
struct Taken {
    const char* name;
    std::vector<std::string> args;
    void (*make)(const ScratchFolder&);
};

void PrintTo(const Taken& t, std::ostream* os)
{
    *os << t.name;
}

void Photo(const ScratchFolder& f)
{
    WriteBytes(f.file("out.png"), AsBytes("a user's photo"));
}
void LinkToAFile(const ScratchFolder& f)
{
    WriteBytes(f.file("photo.jpg"), AsBytes("a user's photo"));
    ::symlink("photo.jpg", f.file("out.png").c_str());
}
void DanglingLink(const ScratchFolder& f)
{
    ::symlink("photo.jpg", f.file("out.png").c_str());
}
void EmptyFile(const ScratchFolder& f)
{
    WriteBytes(f.file("out.png"), {});
}
void LinkToAnEmptyFile(const ScratchFolder& f)
{
    WriteBytes(f.file("empty.png"), {});
    ::symlink("empty.png", f.file("out.png").c_str());
}
void Folder(const ScratchFolder& f)
{
    ::mkdir(f.file("out.png").c_str(), 0755);
}
void Nothing(const ScratchFolder&)
{
}

const std::vector<std::string> kShow = { "show", "a.ico", "out.png" };
const std::vector<std::string> kThumbnail = { "thumbnail", "one.exe", "out.png", "32" };

const Taken kTaken[] = {
    { "ShowOverAUsersFile", kShow, Photo },
    { "ThumbnailOverAUsersFile", kThumbnail, Photo },
    { "ShowThroughALinkToAFile", kShow, LinkToAFile },
    { "ThumbnailThroughALinkToAFile", kThumbnail, LinkToAFile },
    { "ShowThroughADanglingLink", kShow, DanglingLink },
    { "ThumbnailThroughADanglingLink", kThumbnail, DanglingLink },
    { "ShowIntoAnEmptyFile", kShow, EmptyFile },
    { "ThumbnailThroughALinkToAnEmptyFile", kThumbnail, LinkToAnEmptyFile },
    { "ThumbnailOverAFolder", kThumbnail, Folder },
    { "ShowOverItsInput", { "show", "a.ico", "a.ico" }, Nothing },
    { "ThumbnailOverItsInput", { "thumbnail", "one.exe", "one.exe", "32" }, Nothing },
};

class OutTaken : public OutputsCli, public testing::WithParamInterface<Taken> { };

TEST_P(OutTaken, IsRefusedAndLeftAsItWas)
{
    GetParam().make(folder);
    const auto before = Snapshot(folder);
    const Output o = Run(GetParam().args);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "Cannot create file " + GetParam().args[2] + ": File exists\n");
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(Snapshot(folder), before);
}

INSTANTIATE_TEST_SUITE_P(Entries, OutTaken, testing::ValuesIn(kTaken), glyphor::kit::RowName());

// A file manager makes the thumbnail's file before it calls the thumbnailer.
TEST_F(OutputsCli, ThumbnailFillsTheEmptyFileItIsGivenKeepingItsPermissions)
{
    EmptyFile(folder);
    ASSERT_EQ(::chmod(folder.file("out.png").c_str(), 0604), 0);
    const Output o = Run(kThumbnail);
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(PngSize(ReadBytes(folder.file("out.png"))), std::pair(32, 32));
    struct stat st { };
    ASSERT_EQ(::stat(folder.file("out.png").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(folder.names(), (std::vector<std::string> { "a.ico", "one.exe", "out.png" }));
}

// An icon file whose directory runs past its end: the message names the file
// and says why, and nothing is written at OUT.
TEST_F(OutputsCli, ShowOfADamagedIconFileNamesItAndTheReason)
{
    Bytes cut = ReadBytes(folder.file("a.ico"));
    cut.resize(8);
    WriteBytes(folder.file("cut.ico"), cut);
    const Output o = Run({ "show", "cut.ico", "out.png" });
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err,
        "cut.ico: Icon image is not valid: the image directory runs past the end of the file\n");
    EXPECT_EQ(folder.names(), (std::vector<std::string> { "a.ico", "cut.ico", "one.exe" }));
}

// - is standard output: the same PNG as in a file, and no file named -.
TEST_F(OutputsCli, DashWritesThePngToStandardOutput)
{
    const std::vector<std::string> calls[] = { kShow, kThumbnail };
    for (std::vector<std::string> args : calls) {
        ASSERT_EQ(Run(args).status, 0) << args[0];
        const Bytes file = ReadBytes(folder.file("out.png"));
        ::unlink(folder.file("out.png").c_str());
        args[2] = "-";
        const Output o = Run(args);
        EXPECT_EQ(o.status, 0) << args[0] << ": " << o.err;
        EXPECT_EQ(o.out, std::string(file.begin(), file.end())) << args[0];
        EXPECT_EQ(PngSize(file), std::pair(32, 32)) << args[0];
    }
    EXPECT_EQ(folder.names(), (std::vector<std::string> { "a.ico", "one.exe" }));
}

// Every command that prints, with standard output full or closed: status 1
// and the reason on stderr, instead of a success that printed nothing.
struct Printing {
    const char* name;
    std::vector<std::string> args;
};

void PrintTo(const Printing& p, std::ostream* os)
{
    *os << p.name;
}

const Printing kPrinting[] = {
    { "Version", { "--version" } },
    { "Help", { "--help" } },
    { "Icons", { "icons", "one.exe" } },
    { "Save", { "save", "one.exe", "0", "D" } },
    { "CaptureAll", { "capture-all", "one.exe", "D" } },
    { "ScanFile", { "scan-file", "one.exe", "D" } },
    { "ScanTree", { "scan-tree", "S", "D" } },
    { "ShowToDash", { "show", "a.ico", "-" } },
    { "ThumbnailToDash", { "thumbnail", "one.exe", "-", "32" } },
};

class StdoutFails : public OutputsCli, public testing::WithParamInterface<Printing> {
protected:
    Output RunInto(StdoutTo to)
    {
        ::mkdir(folder.file("S").c_str(), 0755);
        ::mkdir(folder.file("D").c_str(), 0755);
        WriteBytes(folder.file("S/two.exe"), glyphor::kit::PeWithOneIcon(2));
        return Run(GetParam().args, to);
    }
};

TEST_P(StdoutFails, WhenFull)
{
    const Output o = RunInto(StdoutTo::Full);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "Stream write error: standard output: No space left on device\n");
}

TEST_P(StdoutFails, WhenClosed)
{
    const Output o = RunInto(StdoutTo::Closed);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "Stream write error: standard output: Bad file descriptor\n");
}

INSTANTIATE_TEST_SUITE_P(
    Commands, StdoutFails, testing::ValuesIn(kPrinting), glyphor::kit::RowName());

// A harvest that left an icon behind says so with its own status, which a
// failed write of its summary does not hide.
TEST_F(OutputsCli, AHarvestThatLeftIconsBehindKeepsItsStatusWhenStdoutFails)
{
    ::mkdir(folder.file("S").c_str(), 0755);
    ::mkdir(folder.file("D").c_str(), 0755);
    WriteBytes(folder.file("S/bad.exe"), glyphor::kit::IconFileOfAnUnreadableImage());
    const Output o = Run({ "scan-tree", "S", "D" }, StdoutTo::Full);
    EXPECT_EQ(o.status, 3);
    EXPECT_NE(o.err.find("Stream write error: standard output: No space left on device\n"),
        std::string::npos)
        << o.err;
}

// An icon whose largest image is 256 pixels: asked for a normal thumbnail it
// gives 128, asked for a large one the image itself, byte for byte.
TEST_F(OutputsCli, AThumbnailIsNeverLargerThanTheSizeAsked)
{
    glyphor::IconImage big;
    big.width = big.height = 256;
    big.hasAlpha = true;
    big.pixels.assign(256 * 256, 0xFF3366CCu);
    big.mask.assign(256 * 256, 0);
    const Bytes png = glyphor::kit::MakePng(big);
    WriteBytes(folder.file("big.exe"),
        glyphor::kit::PeWithIcon({ { 48, 48, 32, 1 }, { 256, 256, 32, 2 } },
            { glyphor::kit::PatternDib(48, 48, 32), png }));
    const struct {
        const char* size;
        std::pair<int, int> got;
    } cases[] = { { "128", { 128, 128 } }, { "256", { 256, 256 } }, { "1024", { 256, 256 } },
        { "64", { 64, 64 } } };
    for (const auto& c : cases) {
        const Output o = Run({ "thumbnail", "big.exe", "-", c.size });
        ASSERT_EQ(o.status, 0) << c.size << ": " << o.err;
        EXPECT_EQ(PngSize(AsBytes(o.out)), c.got) << c.size;
    }
    EXPECT_EQ(AsBytes(Run({ "thumbnail", "big.exe", "-", "256" }).out), png);
}

} // namespace
