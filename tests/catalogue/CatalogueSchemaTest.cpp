// The catalogue's layout versions: an empty database, whoever made it, is
// laid out as this version's catalogue, and the steps from one version to
// the next run in order, each whole or not at all.

#include "Recording.h"

#include "catalogue/CatalogueReader.h"
#include "catalogue/CatalogueSchema.h"
#include "catalogue/Sqlite.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace glyphor::catalogue;
using glyphor::test::Collect;

namespace {

// Version 0 is a database that holds nothing: one left empty by another
// program (in SQLite's default rollback journal), or a file of no bytes.
TEST(CatalogueLayout, EmptyDatabaseIsLaidOutAsTheCurrentVersion)
{
    const struct {
        const char* name;
        void (*make)(const std::string& path);
    } rows[] = {
        { "emptied by another program",
            [](const std::string& path) {
                Database db;
                db.open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, 0);
                db.exec("CREATE TABLE t (x); DROP TABLE t");
            } },
        { "no bytes", [](const std::string& path) { glyphor::kit::WriteBytes(path, {}); } },
    };
    for (const auto& row : rows) {
        const glyphor::kit::ScratchFolder dir;
        const std::string path = dir.file(CatalogueFileName(1));
        row.make(path);
        {
            Catalogue c = Catalogue::OpenForHarvest(dir.path());
            ASSERT_TRUE(c.kept()) << row.name << ": " << c.takeNotice();
            EXPECT_EQ(c.path(), path) << row.name;
            EXPECT_EQ(c.takeNotice(), "") << row.name;
            auto id = Collect(c, dir.path(), { "/src/a.exe", 1, 1 }, "Icon0000.ico");
            ASSERT_TRUE(id && c.recordPlaced(*id, "Icon0000.ico")) << row.name;
        }
        Database db;
        db.open(path, SQLITE_OPEN_READONLY, 0);
        EXPECT_EQ(db.integer("PRAGMA user_version"), kCatalogueVersion) << row.name;
        EXPECT_EQ(db.text("PRAGMA journal_mode"), "wal") << row.name;
        EXPECT_EQ(SchemaProblem(db), std::nullopt) << row.name;
        EXPECT_EQ(CatalogueReader(dir.path()).entries().size(), 1u) << row.name;
    }
}

// The steps of the program's own layout run from version 0 only; these
// stand for the layouts to come, so that the way from an older version is
// shown to work before a program ever needs it.
constexpr MigrationStep kSteps[] = {
    { 0, "CREATE TABLE a (x)" },
    { 1, "ALTER TABLE a ADD COLUMN y" },
    { 2, "CREATE TABLE b (z)" },
};
constexpr MigrationStep kFailingAfterOne[] = {
    { 0, "CREATE TABLE a (x)" },
    { 1, "CREATE TABLE c (w); INSERT INTO nowhere VALUES (1)" },
};
constexpr MigrationStep kWithAGap[] = {
    { 0, "CREATE TABLE a (x)" },
    { 2, "CREATE TABLE b (z)" },
};

struct Way {
    const char* name;
    int startAt; // the version the database is brought to first, by the same steps
    std::span<const MigrationStep> steps;
    int reached; // the version the database is at afterwards
    bool fails;
    const char* tables; // what the database then holds
};

void PrintTo(const Way& row, std::ostream* os)
{
    *os << row.name;
}

class Migration : public testing::TestWithParam<Way> { };

TEST_P(Migration, RunsTheStepsFromTheDatabasesVersionEachWholeOrNotAtAll)
{
    const Way& row = GetParam();
    const glyphor::kit::ScratchFolder dir;
    Database db;
    db.open(dir.file("c.sqlite"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, 0);
    int version = Migrate(db, 0, row.steps.first(std::size_t(row.startAt)));
    ASSERT_EQ(version, row.startAt);
    // A step run again would fail: a table made twice.
    bool failed = false;
    try {
        version = Migrate(db, version, row.steps);
    } catch (const SqliteError&) {
        failed = true;
    }
    EXPECT_EQ(failed, row.fails);
    if (!failed) {
        EXPECT_EQ(version, row.reached);
    }
    EXPECT_EQ(db.integer("PRAGMA user_version"), row.reached);
    EXPECT_EQ(db.text("SELECT group_concat(t, ' ') FROM (SELECT m.name || '(' || (SELECT"
                      " group_concat(name) FROM pragma_table_info(m.name)) || ')' AS t"
                      " FROM sqlite_schema m WHERE m.type = 'table' ORDER BY m.name)"),
        row.tables);
}

INSTANTIATE_TEST_SUITE_P(Ways, Migration,
    testing::Values(Way { "FromEmpty", 0, kSteps, 3, false, "a(x,y) b(z)" },
        Way { "FromAnOlderVersion", 1, kSteps, 3, false, "a(x,y) b(z)" },
        Way { "FromTheLastVersion", 3, kSteps, 3, false, "a(x,y) b(z)" },
        Way { "FailingStepIsUndone", 1, kFailingAfterOne, 1, true, "a(x)" },
        Way { "GapStopsTheWay", 0, kWithAGap, 1, true, "a(x)" }),
    glyphor::kit::RowName());

} // namespace
