// The catalogue as a harvest writes it and the commands read it: every
// field back as recorded, an icon's sources found by its content wherever
// its file is, originals kept once, a run cut off completed by the next, and
// a failure midway said once.

#include "Recording.h"

#include "catalogue/CatalogueReader.h"
#include "catalogue/Sqlite.h"
#include "kit/NamedRows.h"

#include <set>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace glyphor::catalogue;
using glyphor::kit::Bytes;
using glyphor::kit::FakeGroup;
using glyphor::kit::FakeIconFile;
using glyphor::test::Capture;
using glyphor::test::Collect;
using glyphor::test::Contains;

namespace {

class CatalogueTest : public testing::Test {
protected:
    std::vector<CatalogueEntry> SourcesOf(const std::string& name)
    {
        auto hash = HashOfFile(dir.file(name));
        EXPECT_TRUE(hash) << hash.message();
        return hash ? CatalogueReader(dir.path()).sources(*hash) : std::vector<CatalogueEntry> {};
    }
    std::int64_t Count(const char* sql)
    {
        Database db;
        db.open(JoinPath(dir.path(), CatalogueFileName(1)), SQLITE_OPEN_READONLY, 0);
        return db.integer(sql);
    }

    glyphor::kit::ScratchFolder dir;
};

TEST_F(CatalogueTest, GivesBackEveryFieldAsRecorded)
{
    struct Row {
        const char* name;
        Capture capture;
    };
    const Row rows[] = {
        { "numbered group", { "/src/a.exe", 3, 1, FakeGroup(1, 5000), "", GroupName::Number(14) } },
        { "named group, path not UTF-8",
            { "/src/\xC9"
              "diteur.exe",
                0, 2, FakeGroup(2, 700), "", GroupName::Name("MAINICON"), 1600000000 } },
        { "archive member",
            { "/src/old.zip", 7, 3, FakeGroup(3, 900),
                "bin/\xFF"
                "tool.exe",
                GroupName::Number(1) } },
        { "plain .ico, no group kept", { "/src/x.ico", 0, 4, {}, "", GroupName {} } },
    };
    Catalogue c = Catalogue::OpenForHarvest(dir.path());
    ASSERT_TRUE(c.kept());
    EXPECT_EQ(c.takeNotice(), "");
    EXPECT_EQ(c.path(), dir.file("glyphor2-catalogue.sqlite"));
    int n = 0;
    for (const Row& row : rows) {
        const std::string name = "Icon000" + std::to_string(n++) + ".ico";
        auto id = Collect(c, dir.path(), row.capture, name);
        ASSERT_TRUE(id) << row.name;
        ASSERT_TRUE(c.recordPlaced(*id, name)) << row.name;

        const auto found = SourcesOf(name);
        ASSERT_EQ(found.size(), 1u) << row.name;
        const CatalogueEntry& e = found[0];
        EXPECT_EQ(e.source, row.capture.source) << row.name;
        EXPECT_EQ(e.member, row.capture.member) << row.name;
        EXPECT_EQ(e.index, row.capture.index) << row.name;
        EXPECT_EQ(e.group, row.capture.name) << row.name;
        EXPECT_EQ(e.time, row.capture.time) << row.name;
        EXPECT_EQ(e.outcome, Outcome::Placed) << row.name;
        EXPECT_EQ(e.file, name) << row.name;
        EXPECT_EQ(e.iconHash, HashOfBytes(FakeIconFile(row.capture.icon))) << row.name;
        EXPECT_EQ(e.originalSize, std::int64_t(row.capture.group.size())) << row.name;
        const auto original = CatalogueReader(dir.path()).original(e.iconHash);
        if (row.capture.group.empty()) {
            EXPECT_FALSE(original) << row.name;
        } else {
            EXPECT_EQ(original, row.capture.group) << row.name;
        }
    }
    EXPECT_EQ(CatalogueReader(dir.path()).entries().size(), std::size(rows));
}

TEST_F(CatalogueTest, OneIconFromThreeSourcesHasThemAllEvenRenamedByHand)
{
    Catalogue c = Catalogue::OpenForHarvest(dir.path());
    const Capture a { "/src/a.exe", 0, 9, FakeGroup(1, 4000) };
    const Capture b { "/src/b.dll", 5, 9, FakeGroup(2, 9000) };
    const Capture z { "/src/z.zip", 2, 9, FakeGroup(1, 4000), "c.exe" };
    auto ida = Collect(c, dir.path(), a, "Temp/Icon0000.ico");
    auto idb = Collect(c, dir.path(), b, "Temp/Icon0001.ico");
    auto idz = Collect(c, dir.path(), z, "Temp/Icon0002.ico");
    // The merge: the first is copied in, the others match it.
    glyphor::kit::WriteBytes(dir.file("Icon0042.ico"), FakeIconFile(9));
    ASSERT_TRUE(c.recordPlaced(*ida, "Icon0042.ico"));
    ASSERT_TRUE(c.recordDuplicate(*idb, "Icon0042.ico"));
    ASSERT_TRUE(c.recordDuplicate(*idz, "Icon0042.ico"));

    const auto expectThree = [&](const std::string& name) {
        const auto found = SourcesOf(name);
        ASSERT_EQ(found.size(), 3u) << name;
        EXPECT_EQ(found[0].source, "/src/a.exe");
        EXPECT_EQ(found[1].source, "/src/b.dll");
        EXPECT_EQ(found[1].index, 5);
        EXPECT_EQ(found[2].source, "/src/z.zip");
        EXPECT_EQ(found[2].member, "c.exe");
        EXPECT_EQ(found[2].outcome, Outcome::Duplicate);
        EXPECT_EQ(found[2].file, "Icon0042.ico");
    };
    expectThree("Icon0042.ico");
    std::filesystem::rename(dir.file("Icon0042.ico"), dir.file("my favourite.ico"));
    expectThree("my favourite.ico");
    // Of the groups, the largest; a group two captures share is kept once.
    EXPECT_EQ(CatalogueReader(dir.path()).original(HashOfBytes(FakeIconFile(9))), b.group);
    EXPECT_EQ(Count("SELECT count(*) FROM originals"), 2);

    // A file added by hand has no sources.
    glyphor::kit::WriteBytes(dir.file("added.ico"), FakeIconFile(10));
    EXPECT_TRUE(SourcesOf("added.ico").empty());
}

TEST_F(CatalogueTest, OriginalIsKeptOncePerContent)
{
    struct Row {
        const char* name;
        std::vector<Bytes> groups; // of captures of one icon
        std::int64_t kept;
        std::size_t given; // which group original() gives
    };
    const Row rows[] = {
        { "equal groups", { FakeGroup(1, 800), FakeGroup(1, 800), FakeGroup(1, 800) }, 1, 0 },
        { "different groups", { FakeGroup(2, 800), FakeGroup(3, 1200) }, 2, 1 },
        { "equal sizes: the first", { FakeGroup(4, 800), FakeGroup(5, 800) }, 2, 0 },
        { "none kept at all", { Bytes {} }, 0, 0 },
    };
    int icon = 0;
    for (const Row& row : rows) {
        const glyphor::kit::ScratchFolder folder;
        {
            Catalogue c = Catalogue::OpenForHarvest(folder.path());
            std::int64_t time = 1700000000;
            for (const Bytes& group : row.groups)
                ASSERT_TRUE(c.recordCapture({ "/src/a.exe", "", 0, {}, time++, FakeIconFile(icon),
                    group, "Temp/Icon0000.ico" }))
                    << row.name;
        }
        Database db;
        db.open(JoinPath(folder.path(), CatalogueFileName(1)), SQLITE_OPEN_READONLY, 0);
        EXPECT_EQ(db.integer("SELECT count(*) FROM originals"), row.kept) << row.name;
        const auto original
            = CatalogueReader(folder.path()).original(HashOfBytes(FakeIconFile(icon)));
        if (row.kept == 0) {
            EXPECT_FALSE(original) << row.name;
        } else {
            EXPECT_EQ(original, row.groups[row.given]) << row.name;
        }
        ++icon;
    }
}

// A capture left out as a duplicate is a source of the file it matched, found
// by that file's own content: even should the file have changed after the
// merge compared it, the file named is the one that keeps the source.
TEST_F(CatalogueTest, DuplicateIsASourceOfTheFileItMatched)
{
    Catalogue c = Catalogue::OpenForHarvest(dir.path());
    auto id = Collect(c, dir.path(), { "/src/a.exe", 1, 3 }, "Temp/Icon0000.ico");
    Bytes there = FakeIconFile(3);
    there[600] ^= 0xFF;
    glyphor::kit::WriteBytes(dir.file("Icon0005.ico"), there);
    ASSERT_TRUE(c.recordDuplicate(*id, "Icon0005.ico"));
    const auto found = SourcesOf("Icon0005.ico");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].source, "/src/a.exe");
    EXPECT_EQ(found[0].outcome, Outcome::Duplicate);
    // Completed once only.
    EXPECT_FALSE(c.recordPlaced(*id, "Icon0006.ico"));
    EXPECT_FALSE(c.recordDiscarded(*id));
    EXPECT_TRUE(c.kept());
}

// A run killed after its capture was recorded and its icon collected, before
// the merge: the next run finds the capture by the collected file's name and
// content and completes it.
TEST_F(CatalogueTest, CaptureOfAKilledRunIsCompletedByTheNext)
{
    const pid_t child = ::fork();
    if (child == 0) {
        Catalogue c = Catalogue::OpenForHarvest(dir.path());
        const bool recorded
            = c.kept() && Collect(c, dir.path(), { "/src/a.exe", 4, 5 }, "Temp/Icon0000.ico");
        if (!recorded)
            ::_exit(1);
        std::raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child could not record";

    Catalogue c = Catalogue::OpenForHarvest(dir.path());
    ASSERT_TRUE(c.kept()) << c.takeNotice();
    EXPECT_EQ(c.takeNotice(), "");
    EXPECT_EQ(c.settleWaiting(), 0);
    const auto id = c.findWaiting("Temp/Icon0000.ico", FakeIconFile(5));
    ASSERT_TRUE(id);
    EXPECT_FALSE(c.findWaiting("Temp/Icon0000.ico", FakeIconFile(6)));
    EXPECT_FALSE(c.findWaiting("Temp/Icon0001.ico", FakeIconFile(5)));
    glyphor::kit::WriteBytes(dir.file("Icon0000.ico"), FakeIconFile(5));
    ASSERT_TRUE(c.recordPlaced(*id, "Icon0000.ico"));
    const auto found = SourcesOf("Icon0000.ico");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].index, 4);
    EXPECT_EQ(found[0].outcome, Outcome::Placed);
}

struct Leftover {
    const char* name;
    std::string collected;
    std::vector<int> icons; // the seeds of the captures recorded under that name, in order
    int written; // the seed of the file found there; -1 for none
    std::vector<Outcome> settled; // of each capture that stays
    bool writing = false; // a writer was cut off while it wrote the file
};

void PrintTo(const Leftover& row, std::ostream* os)
{
    *os << row.name;
}

class Settling : public testing::TestWithParam<Leftover> { };

TEST_P(Settling, SetsRightWhatARunCutOffLeftWaiting)
{
    const Leftover& row = GetParam();
    const glyphor::kit::ScratchFolder dir;
    Catalogue c = Catalogue::OpenForHarvest(dir.path());
    for (int icon : row.icons)
        ASSERT_TRUE(c.recordCapture({ "/src/a.exe", "", icon, {}, 0, FakeIconFile(icon),
            FakeGroup(1, 100), row.collected }));
    if (row.written >= 0) {
        std::filesystem::create_directories(dir.file("Temp"));
        glyphor::kit::WriteBytes(dir.file(row.collected), FakeIconFile(row.written));
    }
    const auto changed = std::count_if(
        row.settled.begin(), row.settled.end(), [](Outcome o) { return o != Outcome::Waiting; });
    const std::set<std::string> unplaced
        = row.writing ? std::set<std::string> { row.collected } : std::set<std::string> {};
    EXPECT_EQ(c.settleWaiting(unplaced), row.writing ? 1 : changed);
    const auto entries = CatalogueReader(dir.path()).entries();
    ASSERT_EQ(entries.size(), row.settled.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].index, row.icons[i]);
        EXPECT_EQ(entries[i].outcome, row.settled[i]) << "capture " << i;
        EXPECT_EQ(entries[i].file, row.collected);
    }
}

using enum Outcome;

INSTANTIATE_TEST_SUITE_P(Leftovers, Settling,
    testing::Values(
        Leftover { "InTempStaysForTheMerge", "Temp/Icon0003.ico", { 1 }, 1, { Waiting } },
        Leftover { "NeverWrittenIsLost", "Temp/Icon0003.ico", { 1 }, -1, { Lost } },
        Leftover { "OtherContentIsLost", "Temp/Icon0003.ico", { 1 }, 2, { Lost } },
        Leftover { "SavedStraightInIsPlaced", "Icon0012.ico", { 1 }, 1, { Placed } },
        Leftover { "SavedStraightButAbsentIsLost", "Icon0012.ico", { 1 }, -1, { Lost } },
        // Captures equal in every byte share one file: all of them wait.
        Leftover { "SharedByTwoCaptures", "Temp/Icon0003.ico", { 1, 1 }, 1, { Waiting, Waiting } },
        // A name is given again only after its file went away: the file is
        // the newest capture's of its content.
        Leftover {
            "NameGivenTwiceFileOfTheOlder", "Temp/Icon0003.ico", { 1, 2 }, 1, { Waiting, Lost } },
        // Its file never came to be: the capture is taken out, not lost.
        Leftover { "StillBeingWrittenIsTakenOut", "Temp/Icon0003.ico", { 1 }, -1, {}, true }),
    glyphor::kit::RowName());

// Another program takes the catalogue's lock midway: the capture goes on
// without it, the reason is told once, and nothing more is recorded.
TEST_F(CatalogueTest, FailureMidwayIsToldOnceAndEndsTheKeeping)
{
    Catalogue c = Catalogue::OpenForHarvest(dir.path());
    ASSERT_TRUE(Collect(c, dir.path(), { "/src/a.exe", 0, 1 }, "Temp/Icon0000.ico"));
    {
        const glyphor::kit::LockingProcess other(c.path());
        ASSERT_TRUE(other.locked());
        EXPECT_FALSE(Collect(c, dir.path(), { "/src/a.exe", 1, 2 }, "Temp/Icon0001.ico"));
    }
    const std::string notice = c.takeNotice();
    EXPECT_TRUE(Contains(notice, c.path())) << notice;
    EXPECT_TRUE(Contains(notice, "database is locked")) << notice;
    EXPECT_FALSE(c.kept());
    EXPECT_EQ(c.takeNotice(), "");
    EXPECT_FALSE(Collect(c, dir.path(), { "/src/a.exe", 2, 3 }, "Temp/Icon0002.ico"));
    EXPECT_EQ(c.takeNotice(), "");
    // What was committed before stays, in the log that only the next harvest
    // takes up: readers never replay it.
    {
        Catalogue next = Catalogue::OpenForHarvest(dir.path());
    }
    EXPECT_EQ(CatalogueReader(dir.path()).entries().size(), 1u);
}

} // namespace
