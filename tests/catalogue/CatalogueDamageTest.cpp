// A catalogue that cannot be written never stands in a harvest's way: the
// harvest is told once why, in words that name the file and the reason, the
// file is left byte for byte as it was, and where it will never be usable as
// it is (damaged, unreadable, read-only) a new catalogue starts beside it,
// which the next harvest takes up and the readers read along with the old.

#include "Recording.h"

#include "catalogue/CatalogueReader.h"
#include "catalogue/Sqlite.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace glyphor::catalogue;
using glyphor::kit::Bytes;
using glyphor::test::Collect;
using glyphor::test::Contains;
using glyphor::test::MakeCatalogue;

namespace {

// What a path holds, as far as a harvest could change it.
struct Snapshot {
    explicit Snapshot(const std::string& path)
    {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0)
            return;
        mode = st.st_mode;
        if (S_ISREG(st.st_mode))
            bytes = glyphor::kit::ReadBytes(path);
    }
    bool operator==(const Snapshot&) const = default;
    mode_t mode = 0;
    Bytes bytes;
};

void Sql(const std::string& path, const char* sql)
{
    Database db;
    db.open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, 0);
    db.exec(sql);
    db.checkpointOnClose(true);
}

std::string Folder(const std::string& path)
{
    return path.substr(0, path.rfind('/'));
}

using Held = std::shared_ptr<void>;

struct Damage {
    const char* name;
    // Leaves the catalogue at path in its state; what it returns is held
    // while the harvest opens it.
    std::function<Held(const std::string& path)> make;
    std::string reason; // in the notice
    bool beside; // a new catalogue starts beside it
};

void PrintTo(const Damage& row, std::ostream* os)
{
    *os << row.name;
}

class Damaged : public testing::TestWithParam<Damage> { };

TEST_P(Damaged, HarvestGoesOnAndTheFileIsLeftAsItWas)
{
    const Damage& row = GetParam();
    const glyphor::kit::ScratchFolder dir;
    const std::string path = dir.file(CatalogueFileName(1));
    Held held = row.make(path);
    const Snapshot before(path);
    {
        Catalogue c = Catalogue::OpenForHarvest(dir.path());
        const std::string notice = c.takeNotice();
        EXPECT_TRUE(Contains(notice, "The catalogue " + path)) << notice;
        EXPECT_TRUE(Contains(notice, row.reason)) << notice;
        EXPECT_EQ(c.kept(), row.beside) << notice;
        if (row.beside) {
            EXPECT_EQ(c.path(), dir.file(CatalogueFileName(2)));
            EXPECT_TRUE(Contains(notice, "kept in " + c.path() + " from now on")) << notice;
            auto id = Collect(c, dir.path(), { "/src/new.exe", 2, 77 }, "Icon0077.ico");
            ASSERT_TRUE(id && c.recordPlaced(*id, "Icon0077.ico"));
        } else {
            EXPECT_TRUE(Contains(notice, "the sources of this harvest's icons are not kept"))
                << notice;
            EXPECT_FALSE(Collect(c, dir.path(), { "/src/new.exe", 2, 77 }, "Icon0077.ico"));
        }
        EXPECT_EQ(c.takeNotice(), "");
    }
    held.reset();
    EXPECT_TRUE(Snapshot(path) == before);

    std::vector<std::string> catalogues;
    for (const std::string& name : dir.names())
        if (CatalogueNumber(name) || name.starts_with("glyphor2-catalogue.sqlite-"))
            catalogues.push_back(name);
    if (!row.beside) {
        EXPECT_FALSE(Contains(testing::PrintToString(catalogues), CatalogueFileName(2)));
        return;
    }
    // Nothing the attempt made is left beside the damaged file.
    EXPECT_EQ(
        catalogues, (std::vector<std::string> { CatalogueFileName(2), CatalogueFileName(1) }));
    Catalogue again = Catalogue::OpenForHarvest(dir.path());
    EXPECT_EQ(again.path(), dir.file(CatalogueFileName(2)));
    EXPECT_EQ(again.takeNotice(), "");

    CatalogueReader reader(dir.path());
    const auto found = reader.sources(glyphor::kit::FakeIconFile(77));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].source, "/src/new.exe");
    for (const CatalogueProblem& p : reader.problems()) {
        EXPECT_EQ(p.path, path);
        EXPECT_FALSE(p.current);
    }
}

Held Nothing()
{
    return nullptr;
}

INSTANTIATE_TEST_SUITE_P(Catalogues, Damaged,
    testing::Values(Damage { "Truncated",
                        [](const std::string& path) {
                            MakeCatalogue(Folder(path), 40);
                            std::filesystem::resize_file(
                                path, std::filesystem::file_size(path) / 2);
                            return Nothing();
                        },
                        "database disk image is malformed", true },
        Damage { "PageOverwritten",
            [](const std::string& path) {
                MakeCatalogue(Folder(path), 40);
                // The root page of the captures, the fourth, full of junk: the
                // first page, which SQLite reads on opening, is whole.
                Bytes bytes = glyphor::kit::ReadBytes(path);
                std::fill(bytes.begin() + 3 * 4096, bytes.begin() + 4 * 4096, 0x5A);
                glyphor::kit::WriteBytes(path, bytes);
                return Nothing();
            },
            "is damaged (database disk image is malformed)", true },
        Damage { "NotADatabase",
            [](const std::string& path) {
                glyphor::kit::WriteBytes(path, Bytes(5000, 'x'));
                return Nothing();
            },
            "(file is not a database)", true },
        Damage { "OfAnotherProgram",
            [](const std::string& path) {
                Sql(path, "CREATE TABLE notes (text)");
                return Nothing();
            },
            "(it holds tables of another program)", true },
        Damage { "ColumnMissing",
            [](const std::string& path) {
                MakeCatalogue(Folder(path), 2);
                Sql(path,
                    "DROP INDEX captures_by_dest; ALTER TABLE captures DROP COLUMN dest_hash");
                return Nothing();
            },
            "(table captures has no column dest_hash)", true },
        Damage { "ReadOnly",
            [](const std::string& path) {
                MakeCatalogue(Folder(path), 2);
                ::chmod(path.c_str(), 0444);
                return Nothing();
            },
            ::geteuid() == 0 ? "cannot be written (the file is read-only)"
                             : "cannot be written (Permission denied)",
            true },
        Damage { "Unreadable",
            [](const std::string& path) {
                MakeCatalogue(Folder(path), 2);
                ::chmod(path.c_str(), 0);
                return Nothing();
            },
            "cannot be read (Permission denied)", true },
        Damage { "AFolder",
            [](const std::string& path) {
                std::filesystem::create_directory(path);
                return Nothing();
            },
            "cannot be read (Is a directory)", true },
        // Someone else's SQL in a catalogue never runs, and the file is left
        // as it is: the trigger would have grown it at every capture.
        Damage { "ATriggerOfSomeoneElse",
            [](const std::string& path) {
                MakeCatalogue(Folder(path), 2);
                Sql(path,
                    "CREATE TRIGGER grow AFTER INSERT ON captures BEGIN"
                    " INSERT INTO originals SELECT randomblob(32), zeroblob(1000000); END");
                return Nothing();
            },
            "(it holds trigger grow, which is not the program's)", true },
        // Written through, it would put rows into a file outside the folder.
        Damage { "ALinkToAnotherCatalogue",
            [](const std::string& path) {
                std::filesystem::create_directory(Folder(path) + "/elsewhere");
                MakeCatalogue(Folder(path) + "/elsewhere", 2);
                std::filesystem::create_symlink("elsewhere/" + CatalogueFileName(1), path);
                return Nothing();
            },
            "(it is a link, which is not followed)", true },
        Damage { "LockedByAnotherProcess",
            [](const std::string& path) -> Held {
                MakeCatalogue(Folder(path), 2);
                auto other = std::make_shared<glyphor::kit::LockingProcess>(path);
                EXPECT_TRUE(other->locked());
                return other;
            },
            "is in use by another program (database is locked)", false },
        Damage { "OfANewerLayout",
            [](const std::string& path) {
                MakeCatalogue(Folder(path), 2);
                Sql(path, "PRAGMA user_version = 3");
                return Nothing();
            },
            "was written by a newer version of Glyphor 2 (layout 3; this version knows 2) and "
            "is left as it is",
            false }),
    glyphor::kit::RowName());

// The catalogue of the folder is the one with the highest number in good
// order: a damaged one below it is passed over, and where none is good the
// new one gets the number after the highest.
TEST(CatalogueNumbering, TheHighestNumberIsTheCatalogue)
{
    const Bytes junk(500, 'j');
    {
        const glyphor::kit::ScratchFolder dir;
        MakeCatalogue(dir.path(), 0);
        std::filesystem::rename(dir.file(CatalogueFileName(1)), dir.file(CatalogueFileName(2)));
        glyphor::kit::WriteBytes(dir.file(CatalogueFileName(1)), junk);
        Catalogue c = Catalogue::OpenForHarvest(dir.path());
        EXPECT_EQ(c.path(), dir.file(CatalogueFileName(2)));
        EXPECT_EQ(c.takeNotice(), "");
    }
    {
        const glyphor::kit::ScratchFolder dir;
        glyphor::kit::WriteBytes(dir.file(CatalogueFileName(1)), junk);
        glyphor::kit::WriteBytes(dir.file(CatalogueFileName(5)), junk);
        Catalogue c = Catalogue::OpenForHarvest(dir.path());
        EXPECT_EQ(c.path(), dir.file(CatalogueFileName(6)));
        const std::string notice = c.takeNotice();
        EXPECT_TRUE(Contains(notice, dir.file(CatalogueFileName(5)) + " is damaged")) << notice;
    }
    // A name planted at the top stops nothing: the healthy one below it is
    // written and read as the folder's catalogue, and with none below the new
    // one takes the first free number.
    {
        const glyphor::kit::ScratchFolder dir;
        MakeCatalogue(dir.path(), 1);
        glyphor::kit::WriteBytes(dir.file(CatalogueFileName(kMaxCatalogueNumber)), junk);
        Catalogue c = Catalogue::OpenForHarvest(dir.path());
        EXPECT_EQ(c.path(), dir.file(CatalogueFileName(1))) << c.takeNotice();
        CatalogueReader reader(dir.path());
        EXPECT_EQ(reader.entries().size(), 1u);
        ASSERT_EQ(reader.problems().size(), 1u);
        EXPECT_FALSE(reader.problems()[0].current);
    }
    {
        const glyphor::kit::ScratchFolder dir;
        glyphor::kit::WriteBytes(dir.file(CatalogueFileName(kMaxCatalogueNumber)), junk);
        Catalogue c = Catalogue::OpenForHarvest(dir.path());
        EXPECT_EQ(c.path(), dir.file(CatalogueFileName(1))) << c.takeNotice();
    }
}

// Where no catalogue can be made, the harvest is told so.
TEST(CatalogueNumbering, NoneCanBeMadeWhereTheFolderIsMissing)
{
    const glyphor::kit::ScratchFolder dir;
    Catalogue c = Catalogue::OpenForHarvest(dir.file("absent"));
    EXPECT_FALSE(c.kept());
    const std::string notice = c.takeNotice();
    EXPECT_TRUE(Contains(notice,
        "The catalogue " + dir.file("absent/" + CatalogueFileName(1))
            + " cannot be made (No such file or directory); the sources of this harvest's "
              "icons are not kept"))
        << notice;
}

} // namespace
