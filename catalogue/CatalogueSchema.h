#pragma once
// The catalogue's layout and how an older one is brought up to date. The
// layout's version is the database's user_version: 0 for a database that
// holds nothing yet, then one more for every change. Each change is a step
// of kMigrations, from the version before it, applied in a transaction of
// its own that also sets the new version, so that a catalogue is always at
// one version or the next, never between. A catalogue of a higher version
// than kCatalogueVersion was written by a newer program and is left alone.

#include "catalogue/Sqlite.h"

#include <optional>
#include <span>
#include <string>

namespace glyphor::catalogue {

struct MigrationStep {
    int from; // the version the step starts from; it leads to from + 1
    const char* sql;
};

// The version this program writes and reads.
inline constexpr int kCatalogueVersion = 2;

// Every step from an empty database to kCatalogueVersion, in order.
std::span<const MigrationStep> CatalogueMigrations();

// Applies the steps from version to the end of steps, each in its own
// transaction (BEGIN IMMEDIATE, so that another writer is waited for and
// then refused). Raises SqliteError for a step that fails, which is rolled
// back: the database stays at the version of the last step that succeeded.
// Returns the version reached. Steps must follow each other from version on.
int Migrate(Database& db, int version, std::span<const MigrationStep> steps);

// What is wrong with the tables of a catalogue at version, in
// words for a message ("table captures has no column outcome"); nothing
// when its schema is exactly the one the program makes. Anything more (a
// trigger, a view, an index of someone else's) is wrong too: its SQL would
// run inside every harvest, and the file is not the program's to write.
std::optional<std::string> SchemaProblem(Database& db, int version = kCatalogueVersion);

} // namespace glyphor::catalogue
