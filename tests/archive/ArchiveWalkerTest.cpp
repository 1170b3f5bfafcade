// The walk through archives of every format read, and archives inside
// archives: exact bytes in the archive's order, names as stored, files that
// are no archive, and a stop.

#include "WalkFixture.h"

#include "archive/SkipReasons.h"
#include "kit/NamedRows.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

using glyphor::archive::ArchiveWalker;
using glyphor::archive::WalkEnd;
using namespace glyphor::kit;

namespace {

struct FormatRow {
    const char* name;
    ArchiveKind kind;
};

class ArchiveFormats : public ArchiveTest, public ::testing::WithParamInterface<FormatRow> { };

// Every format gives exactly the bytes of the files packed, in the order they
// were packed, and nothing for the member that is not wanted: from the file
// on disk and from the same bytes in memory alike.
TEST_P(ArchiveFormats, GiveEachWantedFileItsExactBytesInOrder)
{
    write("readme.txt", Bytes { 'h', 'i', '\r', '\n' });
    const ArchiveKind kind = GetParam().kind;
    const std::string path
        = make(kind, { "hh.exe", "coure.fon.dll", "readme.txt", "sas.dll", "vgasys.fon.dll" },
            "packed." + std::string(ArchiveEnding(kind)));
    const auto want = [&](const std::string& prefix) {
        return expected(prefix + kIn,
            { { "hh.exe", "hh.exe" }, { "coure.fon.dll", "coure.fon.dll" },
                { "sas.dll", "sas.dll" }, { "vgasys.fon.dll", "vgasys.fon.dll" } });
    };

    Recorder fromDisk;
    EXPECT_EQ(ArchiveWalker(fromDisk).walkFile(path), WalkEnd::Walked);
    EXPECT_EQ(fromDisk.members, want(path));
    EXPECT_EQ(fromDisk.skips, std::vector<Skip> {});

    Recorder fromMemory;
    const Bytes bytes = ReadBytes(path);
    EXPECT_EQ(ArchiveWalker(fromMemory).walkBytes("packed", bytes), WalkEnd::Walked);
    EXPECT_EQ(fromMemory.members, want("packed"));
    EXPECT_EQ(fromMemory.skips, std::vector<Skip> {});
}

INSTANTIATE_TEST_SUITE_P(Archives, ArchiveFormats,
    ::testing::Values(FormatRow { "zip", ArchiveKind::Zip },
        FormatRow { "sevenZip", ArchiveKind::SevenZip }, FormatRow { "iso", ArchiveKind::Iso },
        FormatRow { "cpio", ArchiveKind::Cpio }, FormatRow { "ar", ArchiveKind::Ar },
        FormatRow { "tarGz", ArchiveKind::TarGz }, FormatRow { "tarBz2", ArchiveKind::TarBz2 },
        FormatRow { "tarXz", ArchiveKind::TarXz }, FormatRow { "tarZst", ArchiveKind::TarZst },
        FormatRow { "cab", ArchiveKind::Cab }, FormatRow { "lzh", ArchiveKind::Lzh },
        FormatRow { "rar", ArchiveKind::Rar }),
    RowName {});

// Names come out as the archive stores them: bytes that are not UTF-8 stay
// those bytes, and names stored as Unicode come out as UTF-8 although the
// tests run in the "C" locale. Names in lzh archives are read in the DOS
// code page, in which every byte means a character.
TEST_F(ArchiveTest, NamesAreTheStoredBytes)
{
    const std::string latin1 = "caf\xE9.exe";
    const std::string utf8 = "caf\xC3\xA9.exe";
    std::filesystem::copy_file(in("coure.fon.dll"), in(latin1));
    std::filesystem::copy_file(in("coure.fon.dll"), in(utf8));
    const struct {
        const char* name;
        ArchiveKind kind;
        std::string file;
        std::string member;
    } rows[] = {
        { "tar keeps bytes", ArchiveKind::TarGz, latin1, latin1 },
        { "cpio keeps bytes", ArchiveKind::Cpio, latin1, latin1 },
        { "rar keeps bytes", ArchiveKind::Rar, latin1, latin1 },
        { "cab flags UTF-8", ArchiveKind::Cab, utf8, utf8 },
        { "7z stores UTF-16", ArchiveKind::SevenZip, utf8, utf8 },
        { "zip flags UTF-8", ArchiveKind::Zip, utf8, utf8 },
        { "iso", ArchiveKind::Iso, utf8, utf8 },
        { "lzh in code page 437", ArchiveKind::Lzh, latin1, "caf\xCE\x98.exe" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path
            = make(row.kind, { row.file }, "names." + std::string(ArchiveEnding(row.kind)));
        Recorder recorder;
        ArchiveWalker(recorder).walkFile(path);
        EXPECT_EQ(recorder.members, expected(path + kIn, { { row.member, row.file } }));
        EXPECT_EQ(recorder.skips, std::vector<Skip> {});
    }
}

// A name that claims to be UTF-8 and is not cannot be read, so nobody can
// tell whether the member is wanted: it is reported, and the members after
// it are read on.
TEST_F(ArchiveTest, MembersWhoseNameCannotBeReadAreReported)
{
    const std::string utf8 = "caf\xC3\xA9.exe";
    std::filesystem::copy_file(in("sas.dll"), in(utf8));
    const std::string path = make(ArchiveKind::Zip, { utf8, "coure.fon.dll" }, "names.zip");
    Bytes bytes = ReadBytes(path);
    const Bytes good = { 'c', 'a', 'f', 0xC3, 0xA9 }, bad = { 'c', 'a', 'f', 0xE9, 0xE9 };
    int replaced = 0;
    for (auto at = std::search(bytes.begin(), bytes.end(), good.begin(), good.end());
         at != bytes.end(); at = std::search(at, bytes.end(), good.begin(), good.end())) {
        at = std::copy(bad.begin(), bad.end(), at);
        ++replaced;
    }
    ASSERT_GE(replaced, 2) << "in the local header and the directory";
    ASSERT_TRUE(write("names.zip", bytes));

    Recorder recorder;
    EXPECT_EQ(ArchiveWalker(recorder).walkFile(path), WalkEnd::Walked);
    EXPECT_EQ(recorder.members, expected(path + kIn, { { "coure.fon.dll", "coure.fon.dll" } }));
    ASSERT_EQ(recorder.skips.size(), 1u);
    EXPECT_EQ(recorder.skips[0].path, path + kIn);
    EXPECT_EQ(recorder.skips[0].reason.rfind("Damaged: ", 0), 0u) << recorder.skips[0];
}

// An ISO holding a 7z holding a zip is walked to the zip's members (level 3);
// a zip in that zip would be level 4 and is skipped, the members around it
// delivered.
TEST_F(ArchiveTest, ArchivesInsideArchivesAreWalkedToTheDepthLimit)
{
    make(ArchiveKind::Zip, { "sas.dll" }, "level4.zip");
    make(ArchiveKind::Zip, { "hh.exe", "level4.zip", "sserife.fon.dll" }, "level3.zip");
    make(ArchiveKind::SevenZip, { "level3.zip", "coure.fon.dll" }, "level2.7z");
    const std::string iso = make(ArchiveKind::Iso, { "vgasys.fon.dll", "level2.7z" }, "disc.iso");

    Recorder recorder;
    EXPECT_EQ(ArchiveWalker(recorder).walkFile(iso), WalkEnd::Walked);
    const std::string level3 = iso + kIn + "level2.7z" + kIn + "level3.zip" + kIn;
    EXPECT_EQ(recorder.members,
        expected("",
            { { iso + kIn + "vgasys.fon.dll", "vgasys.fon.dll" }, { level3 + "hh.exe", "hh.exe" },
                { level3 + "sserife.fon.dll", "sserife.fon.dll" },
                { iso + kIn + "level2.7z" + kIn + "coure.fon.dll", "coure.fon.dll" } }));
    const glyphor::archive::ArchiveLimits limits;
    EXPECT_EQ(recorder.skips,
        (std::vector<Skip> {
            { level3 + "level4.zip", glyphor::archive::NestedTooDeepText(limits) } }));
}

// A program with a zip behind it is walked as a zip, on disk and inside an
// archive (where it is delivered as the program it also is); the plain
// programs of every other test are tried the same way and pass quietly.
TEST_F(ArchiveTest, SelfExtractingProgramsAreOpenedAsArchives)
{
    make(ArchiveKind::Zip, { "coure.fon.dll", "vgasys.fon.dll" }, "payload.zip");
    Bytes sfx = bytesOf("hh.exe");
    const Bytes payload = bytesOf("payload.zip");
    sfx.insert(sfx.end(), payload.begin(), payload.end());
    ASSERT_TRUE(write("setup.exe", sfx));

    Recorder onDisk;
    EXPECT_EQ(ArchiveWalker(onDisk).walkFile(in("setup.exe")), WalkEnd::Walked);
    EXPECT_EQ(onDisk.members,
        expected(in("setup.exe") + kIn,
            { { "coure.fon.dll", "coure.fon.dll" }, { "vgasys.fon.dll", "vgasys.fon.dll" } }));

    const std::string outer = make(ArchiveKind::Zip, { "setup.exe" }, "outer.zip");
    Recorder inside;
    EXPECT_EQ(ArchiveWalker(inside).walkFile(outer), WalkEnd::Walked);
    EXPECT_EQ(inside.members,
        expected(outer + kIn,
            { { "setup.exe", "setup.exe" },
                { "setup.exe" + kIn + "coure.fon.dll", "coure.fon.dll" },
                { "setup.exe" + kIn + "vgasys.fon.dll", "vgasys.fon.dll" } }));
    EXPECT_EQ(inside.skips, std::vector<Skip> {});
}

// A file that is no archive hands out nothing; it is reported only when its
// name says archive, so that a program tried as a self-extracting archive
// passes quietly.
TEST_F(ArchiveTest, FilesThatAreNoArchive)
{
    ASSERT_TRUE(write("plain.exe", bytesOf("hh.exe")));
    ASSERT_TRUE(write("empty.zip", {}));
    Bytes noise(5000);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<std::uint8_t>(i * 7919 >> 3);
    ASSERT_TRUE(write("noise.zip", noise));
    ASSERT_TRUE(write("noise.exe", noise));
    std::filesystem::create_directory(in("folder.zip"));
    ASSERT_EQ(::mkfifo(in("pipe.zip").c_str(), 0600), 0);
    const std::string notAnArchive
        = glyphor::archive::NotAnArchiveText("Unrecognized archive format");
    const struct {
        const char* name;
        std::string file;
        WalkEnd end;
        std::string reason; // empty: nothing reported
    } rows[] = {
        { "a program", "plain.exe", WalkEnd::NotAnArchive, "" },
        { "noise named as a program", "noise.exe", WalkEnd::NotAnArchive, "" },
        { "noise named as a zip", "noise.zip", WalkEnd::NotAnArchive, notAnArchive },
        { "an empty zip", "empty.zip", WalkEnd::NotAnArchive, notAnArchive },
        { "a missing zip", "missing.zip", WalkEnd::Unreadable,
            glyphor::archive::CannotOpenText(ENOENT) },
        { "a missing program", "missing.exe", WalkEnd::Unreadable, "" },
        { "a folder", "folder.zip", WalkEnd::Unreadable, glyphor::archive::CannotOpenText(EISDIR) },
        // Never opened, so nothing waits for a writer.
        { "a fifo", "pipe.zip", WalkEnd::Unreadable, glyphor::archive::CannotOpenText(EINVAL) },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Recorder recorder;
        EXPECT_EQ(ArchiveWalker(recorder).walkFile(in(row.file)), row.end);
        EXPECT_EQ(recorder.members, std::vector<Delivered> {});
        std::vector<Skip> reported;
        if (!row.reason.empty())
            reported.push_back({ in(row.file), row.reason });
        EXPECT_EQ(recorder.skips, reported);
    }
}

// A stop asked for between members ends the walk there, from inside an
// archive in an archive too.
TEST_F(ArchiveTest, AStopEndsTheWalkBetweenMembers)
{
    make(ArchiveKind::Zip, { "coure.fon.dll", "vgasys.fon.dll" }, "inner.zip");
    const std::string outer
        = make(ArchiveKind::SevenZip, { "sas.dll", "inner.zip", "hh.exe" }, "outer.7z");
    for (const std::size_t after : { 1u, 2u, 3u }) {
        SCOPED_TRACE(after);
        Recorder recorder;
        recorder.stopAfter = after;
        EXPECT_EQ(ArchiveWalker(recorder).walkFile(outer), WalkEnd::Stopped);
        EXPECT_EQ(recorder.members.size(), after);
    }
    Recorder whole;
    EXPECT_EQ(ArchiveWalker(whole).walkFile(outer), WalkEnd::Walked);
    EXPECT_EQ(whole.members.size(), 4u);
}

} // namespace
