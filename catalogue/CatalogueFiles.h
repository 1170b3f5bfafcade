#pragma once
// Where the catalogue of a destination folder lies. Its name is
// "glyphor2-catalogue.sqlite", which the "*.ico" mask of the file lists does
// not show, and SQLite keeps its journal beside it while it is open
// ("-wal" and "-shm" appended).
//
// A catalogue that cannot be used (damaged, unreadable, read-only) is never
// deleted or written over: a new one starts beside it as
// "glyphor2-catalogue-2.sqlite", then "-3", and so on. The catalogue of the
// folder is the one with the highest number that is in good order, the
// plain name counting as 1; the others are kept for reading.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glyphor::catalogue {

// The highest number a catalogue's name may carry. Past the highest name in
// the folder a new one takes the first free number, so that a name planted
// at the top blocks nothing.
inline constexpr int kMaxCatalogueNumber = 999999999;

// "glyphor2-catalogue.sqlite" for 1, "glyphor2-catalogue-<n>.sqlite" above.
std::string CatalogueFileName(int number);

// The number a catalogue's name carries; nothing for any other name,
// "glyphor2-catalogue-1.sqlite" and numbers written with leading zeros
// included, so that every number has one name.
std::optional<int> CatalogueNumber(std::string_view name);

// folder + "/" + name, as bytes; "." stands for an empty folder.
std::string JoinPath(const std::string& folder, const std::string& name);

// The numbers of the catalogue names that the folder holds, whatever each
// is (a file, a folder, a link), from the lowest. Empty when the folder
// cannot be listed.
std::vector<int> CatalogueNumbersIn(const std::string& folder);

} // namespace glyphor::catalogue
