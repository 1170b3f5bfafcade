#pragma once
// Opening one catalogue file and telling whether it can be used: for a
// harvest, which writes it, or for reading. A file that cannot be used is
// left exactly as it was found: nothing is written to it, not even the
// checkpoint SQLite makes when a connection closes, and for a damaged file
// the journal files that the attempt made beside it are removed again.

#include "catalogue/Sqlite.h"

#include <string>

namespace glyphor::catalogue {

// How long a write waits for another writer before the catalogue counts as
// locked: a moment, so that a harvest never waits noticeably for it.
inline constexpr int kBusyTimeoutMs = 500;

enum class Condition {
    Good,
    // Not a database, truncated, or a database of another program: a new
    // catalogue starts beside it.
    Damaged,
    // The system refuses to read it, or it is no regular file: the same.
    Unreadable,
    // It may not be written: the same.
    ReadOnly,
    // Another program is writing it: not kept in this run.
    Locked,
    // Written by a newer version of the program: left as it is, not kept.
    Newer,
    // Anything else that went wrong (the disk is full): not kept in this run.
    Failed,
};

enum class Purpose { Harvest, Read };

struct OpenedCatalogue {
    Condition condition = Condition::Failed;
    // The system's or SQLite's words for what is wrong; empty when Good.
    std::string reason;
    // The layout the file has (for Newer, the one it was written with).
    int version = 0;
    // For reading, when what was read may not be all: why (its journals
    // hold changes that only a harvest applies).
    std::string note;
    // Open when Good: for a harvest at kCatalogueVersion, in write-ahead
    // mode, ready to write; for reading at kCatalogueVersion or 0 (empty).
    Database db;
};

// The existing catalogue at path. For a harvest it is opened to be written,
// recovering what a run that was cut off left in its journals; for reading
// it is never written, and its journals are neither replayed nor removed.
OpenedCatalogue OpenExistingCatalogue(const std::string& path, Purpose purpose);

// A new catalogue at path, for a harvest. The name is claimed first so that
// nothing that is there is ever opened as new: taken tells that something
// has that name already (the caller tries the next), and the result then
// says Failed.
OpenedCatalogue CreateCatalogue(const std::string& path, bool& taken);

// The condition a failure of SQLite's leaves a catalogue in.
Condition ConditionOf(const SqliteError& error);

} // namespace glyphor::catalogue
