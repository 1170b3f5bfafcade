#pragma once
// The file layer SQLite reaches a catalogue through. It is the system's own
// with two differences, both so that a catalogue is opened exactly where the
// program says and nowhere else:
// - A path is taken as it is given. SQLite's own layer resolves every link
//   on the way to a database, which sends a "/proc/self/fd/N/NAME" path (a
//   folder the run holds open) back to the folder's path, with its length
//   limit and whatever now lies at that path.
// - The database, its journal and its write-ahead log are opened only where
//   they are regular files or do not exist yet: a link in their place is
//   never followed, so no write goes through it to a file elsewhere.

namespace glyphor::catalogue {

// The layer's name for sqlite3_open_v2, registered on first use.
const char* CatalogueVfsName();

} // namespace glyphor::catalogue
