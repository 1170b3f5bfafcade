// Reading a catalogue changes nothing, whatever lies beside it: a journal a
// cut-off run left is neither replayed nor removed, a log of another
// database is not taken for its own, and SQL put in it never runs. A folder
// at any depth keeps and reads its catalogue.

#include "Recording.h"

#include "catalogue/CatalogueReader.h"
#include "catalogue/CatalogueSchema.h"
#include "catalogue/Sqlite.h"
#include "files/Folder.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

using namespace glyphor::catalogue;
using glyphor::kit::ReadBytes;
using glyphor::test::Contains;
using glyphor::test::MakeCatalogue;

namespace {

struct Beside {
    const char* name;
    std::function<void(const std::string& folder, const std::string& path)> make;
    std::string said; // in the reader's problem
    std::size_t entries; // what is read all the same
};

void PrintTo(const Beside& row, std::ostream* os)
{
    *os << row.name;
}

class Reading : public testing::TestWithParam<Beside> { };

TEST_P(Reading, ChangesNothingAndSaysWhatItCouldNotRead)
{
    const glyphor::kit::ScratchFolder dir;
    const std::string path = dir.file(CatalogueFileName(1));
    MakeCatalogue(dir.path(), 3);
    GetParam().make(dir.path(), path);
    std::map<std::string, glyphor::kit::Bytes> before;
    for (const std::string& name : dir.names())
        before[name] = ReadBytes(dir.file(name));

    CatalogueReader reader(dir.path());
    EXPECT_EQ(reader.entries().size(), GetParam().entries);
    ASSERT_EQ(reader.problems().size(), 1u);
    EXPECT_TRUE(Contains(reader.problems()[0].message, GetParam().said))
        << reader.problems()[0].message;

    std::map<std::string, glyphor::kit::Bytes> after;
    for (const std::string& name : dir.names())
        after[name] = ReadBytes(dir.file(name));
    EXPECT_TRUE(after == before);
}

// A process that runs sql on a database and ends, closing it or, cut off,
// leaving what it wrote in the journals.
void Run(const std::string& path, const char* sql, bool cutOff = true)
{
    const pid_t child = ::fork();
    if (child == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        if (!cutOff)
            sqlite3_close(db);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
}

INSTANTIATE_TEST_SUITE_P(Catalogues, Reading,
    testing::Values(
        Beside { "AHotJournal",
            [](const std::string&, const std::string& path) {
                Run(path,
                    "PRAGMA journal_mode = DELETE; BEGIN; DELETE FROM captures WHERE id > 1;");
                ASSERT_GT(ReadBytes(path + "-journal").size(), 0u);
            },
            "was left by a run that was cut short: the next harvest into", 3 },
        Beside { "ALogOfAnotherDatabase",
            [](const std::string& folder, const std::string& path) {
                Run(folder + "/other.sqlite",
                    "PRAGMA journal_mode = WAL; CREATE TABLE notes (text);"
                    " INSERT INTO notes VALUES ('x');");
                std::filesystem::rename(folder + "/other.sqlite-wal", path + "-wal");
                std::filesystem::remove(folder + "/other.sqlite-shm");
            },
            "is being written, or was left by a run that was cut short", 3 },
        Beside { "AnEndlessView",
            [](const std::string&, const std::string& path) {
                Run(path,
                    "CREATE VIEW endless AS WITH RECURSIVE r(n) AS"
                    " (SELECT 1 UNION ALL SELECT n + 1 FROM r) SELECT n FROM r;",
                    false);
            },
            "(it holds view endless, which is not the program's)", 0 }),
    glyphor::kit::RowName());

// Past the system's limit on a path that SQLite keeps to, the catalogue is
// still made, written through the folder held open and read back.
TEST(CatalogueFolder, AtAnyDepth)
{
    const glyphor::kit::ScratchFolder dir;
    std::string deep = dir.path();
    for (int i = 0; i < 6; ++i)
        deep += "/" + std::string(100, char('a' + i));
    std::filesystem::create_directories(deep);
    {
        const glyphor::files::Folder held = glyphor::files::Folder::open(deep);
        Catalogue c
            = Catalogue::OpenForHarvest("/proc/self/fd/" + std::to_string(held.descriptor()), deep);
        ASSERT_TRUE(c.kept()) << c.takeNotice();
        EXPECT_EQ(c.path().find("/proc/self/fd/"), 0u);
        auto id = glyphor::test::Collect(c, deep, { "/src/a.exe", 0, 5 }, "Icon0005.ico");
        ASSERT_TRUE(id && c.recordPlaced(*id, "Icon0005.ico"));
    }
    CatalogueReader reader(deep);
    EXPECT_EQ(reader.entries().size(), 1u);
    EXPECT_TRUE(reader.problems().empty());
}

} // namespace

namespace {

// A catalogue of the first layout (before member positions) is read as it
// is, and the next harvest brings it up to date with its rows intact.
TEST(CatalogueLayoutOne, IsReadAndBroughtUpToDate)
{
    const glyphor::kit::ScratchFolder dir;
    const std::string path = dir.file(CatalogueFileName(1));
    {
        Database db;
        db.open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, 0);
        ASSERT_EQ(Migrate(db, 0, CatalogueMigrations().first(1)), 1);
        db.exec(
            "INSERT INTO captures (time, source, member, icon_index, icon_hash, collected,"
            " outcome) VALUES (1, 'a.zip', 'b.exe', 0, zeroblob(32), 'Icon0000.ico', 'placed')");
        db.checkpointOnClose(true);
    }
    for (const bool harvested : { false, true }) {
        if (harvested) {
            ASSERT_TRUE(Catalogue::OpenForHarvest(dir.path()).kept());
        }
        CatalogueReader reader(dir.path());
        const auto entries = reader.entries();
        ASSERT_EQ(entries.size(), 1u) << harvested;
        EXPECT_EQ(entries[0].member, "b.exe");
        EXPECT_TRUE(reader.problems().empty()) << reader.problems()[0].message;
    }
}

} // namespace
