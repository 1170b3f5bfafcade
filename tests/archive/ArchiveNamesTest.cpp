// Which names are opened as archives, and how a member's path reads.

#include "archive/ArchiveNames.h"
#include "archive/MemberPath.h"
#include "archive/SkipReasons.h"

#include <gtest/gtest.h>

using namespace glyphor::archive;

namespace {

TEST(ArchiveNames, AreToldByTheirEndingInAnyCase)
{
    const struct {
        const char* name;
        bool archive;
    } rows[] = {
        { "old.zip", true },
        { "OLD.ZIP", true },
        { "disk1.7z", true },
        { "setup.cab", true },
        { "tools.lzh", true },
        { "tools.LHA", true },
        { "pack.rar", true },
        { "src.tar", true },
        { "src.tgz", true },
        { "src.tar.gz", true },
        { "src.Tar.Bz2", true },
        { "src.tbz", true },
        { "src.tbz2", true },
        { "src.txz", true },
        { "src.tar.xz", true },
        { "src.tzst", true },
        { "src.tar.zst", true },
        { "initrd.cpio", true },
        { "cd.iso", true },
        { "lib.ar", true },
        { "/some/folder/old.zip", true },
        { "inner/setup.cab", true },
        { "caf\xE9.zip", true },
        // Not archives: static libraries hold object files, compressed
        // single files hold no members, and a name is no ending.
        { "libc.a", false },
        { "notes.gz", false },
        { "notes.bz2", false },
        { "zip", false },
        { "azip", false },
        { "old.zip.txt", false },
        { "setup.exe", false },
        { "foo.car", false },
        { "", false },
    };
    for (const auto& row : rows)
        EXPECT_EQ(IsArchiveName(row.name), row.archive) << row.name;
}

TEST(ArchiveNames, ProgramsMayCarryAnArchive)
{
    EXPECT_TRUE(IsSelfExtractingName("setup.exe"));
    EXPECT_TRUE(IsSelfExtractingName("INSTALL.EXE"));
    EXPECT_FALSE(IsSelfExtractingName("setup.dll"));
    EXPECT_FALSE(IsSelfExtractingName("exe"));
}

// The status text names a member by the path on disk and the names inside,
// each as its bytes, joined by " › ".
TEST(MemberPaths, ReadAsTheChainOfNames)
{
    const MemberPath disk("/path/old.zip");
    const MemberPath member = disk.member("inner.zip").member("setup/caf\xE9.exe");
    EXPECT_EQ(DisplayMemberPath(disk), "/path/old.zip");
    EXPECT_EQ(DisplayMemberPath(member),
        "/path/old.zip \xE2\x80\xBA inner.zip \xE2\x80\xBA setup/caf\xE9.exe");
    EXPECT_EQ(member.file(), "/path/old.zip");
    EXPECT_EQ(member.name(), "setup/caf\xE9.exe");
    EXPECT_EQ(member.nesting(), 2u);
    EXPECT_EQ(disk.nesting(), 0u);
}

TEST(SkipReasons, NameSizesAsPeopleReadThem)
{
    const struct {
        std::uint64_t bytes;
        const char* text;
    } rows[] = {
        { 256ull << 20, "256 MiB" },
        { 4ull << 30, "4 GiB" },
        { 100 * 1024, "100 KiB" },
        { 1500, "1500 bytes" },
        { 1, "1 byte" },
        { 0, "0 bytes" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(SizeText(row.bytes), row.text);
}

} // namespace
