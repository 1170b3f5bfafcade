#include "catalogue/CatalogueSchema.h"

#include <sqlite3.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace glyphor::catalogue {

namespace {

// Version 1. Paths and names are blobs: they are the system's bytes, which
// need not be UTF-8. Hashes are the 32 bytes of SHA-256. An original group
// is kept once, by the hash of its bytes, however many captures share it.
// dest_hash is the hash of the destination file a capture became or
// duplicated: the merge counts two icons the same by their first 500 bytes,
// so a duplicate's own bytes may differ from those of the file it matched,
// and the file is still found by its own content.
constexpr const char* kLayout1 = R"(
CREATE TABLE originals (
    hash BLOB PRIMARY KEY NOT NULL,
    bytes BLOB NOT NULL
);
CREATE TABLE captures (
    id INTEGER PRIMARY KEY,
    time INTEGER NOT NULL,
    source BLOB NOT NULL,
    member BLOB NOT NULL,
    icon_index INTEGER NOT NULL,
    group_number INTEGER,
    group_name TEXT,
    icon_hash BLOB NOT NULL,
    original_hash BLOB REFERENCES originals (hash),
    collected BLOB NOT NULL,
    outcome TEXT NOT NULL
        CHECK (outcome IN ('waiting', 'placed', 'duplicate', 'discarded', 'lost')),
    dest_name BLOB,
    dest_hash BLOB
);
CREATE INDEX captures_by_icon ON captures (icon_hash);
CREATE INDEX captures_by_dest ON captures (dest_hash);
CREATE INDEX captures_waiting ON captures (collected) WHERE outcome = 'waiting';
)";

// Version 2: the position of a member in its archive, which tells apart two
// members of one name.
constexpr const char* kLayout2 = "ALTER TABLE captures ADD COLUMN member_position TEXT;";

constexpr MigrationStep kSteps[] = {
    { 0, kLayout1 },
    { 1, kLayout2 },
};

struct TableColumns {
    const char* table = nullptr;
    std::initializer_list<const char*> columns;
};

const TableColumns kTables[] = {
    { "originals", { "hash", "bytes" } },
    { "captures",
        { "id", "time", "source", "member", "icon_index", "group_number", "group_name", "icon_hash",
            "original_hash", "collected", "outcome", "dest_name", "dest_hash" } },
};

// An object of a schema: its type, name, table and the SQL that made it.
using SchemaObject = std::tuple<std::string, std::string, std::string, std::string>;

std::set<SchemaObject> ObjectsOf(Database& db)
{
    std::set<SchemaObject> out;
    Statement s(db, "SELECT type, name, tbl_name, coalesce(sql, '') FROM sqlite_schema");
    while (s.step())
        out.insert({ s.text(0), s.text(1), s.text(2), s.text(3) });
    return out;
}

// The schema the program makes at each version, laid out once in memory.
const std::set<SchemaObject>& OwnObjects(int version)
{
    static const std::vector<std::set<SchemaObject>> objects = [] {
        std::vector<std::set<SchemaObject>> out(1);
        Database db;
        db.open(":memory:", SQLITE_OPEN_READWRITE, 0);
        for (const MigrationStep& step : kSteps) {
            Migrate(db, step.from, std::span(&step, 1));
            out.push_back(ObjectsOf(db));
        }
        return out;
    }();
    return objects.at(static_cast<std::size_t>(version));
}

} // namespace

std::span<const MigrationStep> CatalogueMigrations()
{
    return kSteps;
}

int Migrate(Database& db, int version, std::span<const MigrationStep> steps)
{
    for (const MigrationStep& step : steps) {
        if (step.from < version)
            continue;
        if (step.from != version)
            throw SqliteError(0, "no step from layout " + std::to_string(version));
        db.exec("BEGIN IMMEDIATE");
        try {
            db.exec(step.sql);
            db.exec(("PRAGMA user_version = " + std::to_string(step.from + 1)).c_str());
            db.exec("COMMIT");
        } catch (const SqliteError&) {
            // A failed COMMIT may leave the transaction open, a failed step
            // always does; what the step did is undone either way.
            try {
                db.exec("ROLLBACK");
            } catch (const SqliteError&) {
            }
            throw;
        }
        version = step.from + 1;
    }
    return version;
}

std::optional<std::string> SchemaProblem(Database& db, int version)
{
    for (const TableColumns& t : kTables) {
        Statement info(db, "SELECT name FROM pragma_table_info(?1)");
        info.bindText(1, t.table);
        std::set<std::string> present;
        while (info.step())
            present.insert(info.text(0));
        if (present.empty())
            return std::string("it has no table ") + t.table;
        for (const char* column : t.columns)
            if (!present.contains(column))
                return std::string("table ") + t.table + " has no column " + column;
    }
    const std::set<SchemaObject>& own = OwnObjects(version);
    for (const SchemaObject& object : ObjectsOf(db)) {
        if (!own.contains(object))
            return "it holds " + std::get<0>(object) + " " + std::get<1>(object)
                + ", which is not the program's";
    }
    return std::nullopt;
}

} // namespace glyphor::catalogue
