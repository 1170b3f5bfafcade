#pragma once
// The catalogues of a destination folder as the commands that answer
// questions about its icons read them: where an icon file came from, and
// its original group. An icon file is looked up by the hash of its content,
// so a file renamed or moved within the folder by hand keeps its sources,
// and a file added by hand simply has none.
//
// Every catalogue of the folder is read: the current one (the highest
// number in good order) and those a damaged one left behind it, which may still hold the
// sources of older icons. Reading never writes a catalogue that is no good,
// and never waits long for one that another program holds.

#include "catalogue/CatalogueRecords.h"
#include "catalogue/Sqlite.h"
#include "files/Folder.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace glyphor::catalogue {

// A catalogue that could not be read, or stopped being readable midway.
struct CatalogueProblem {
    std::string path;
    // "The catalogue <path> is damaged (database disk image is malformed)".
    std::string message;
    // The folder's current catalogue rather than one left behind.
    bool current = false;
    // It was read all the same, as far as it could be: only a note.
    bool read = false;
};

class CatalogueReader {
public:
    // Opens every catalogue of folder (the system's bytes).
    explicit CatalogueReader(const std::string& folder);
    ~CatalogueReader();
    CatalogueReader(const CatalogueReader&) = delete;
    CatalogueReader& operator=(const CatalogueReader&) = delete;

    // Whether the folder has any catalogue, readable or not.
    bool found() const { return m_found; }
    // The catalogues that could not be read so far, in the order met.
    const std::vector<CatalogueProblem>& problems() const { return m_problems; }

    // Every capture of that content: of an icon file with those bytes, or
    // one the merge found such a file to duplicate; oldest first.
    std::vector<CatalogueEntry> sources(const IconHash& iconHash);
    std::vector<CatalogueEntry> sources(std::span<const std::uint8_t> iconFile);
    // The original group of that content: of all its captures' groups the
    // largest, which holds the most images or the largest ones, and of
    // equal ones the first captured. Nothing when none was kept.
    std::optional<std::vector<std::uint8_t>> original(const IconHash& iconHash);
    // Every capture of every catalogue, oldest first.
    std::vector<CatalogueEntry> entries();

private:
    struct Opened {
        std::string path;
        Database db;
        bool current = false;
        int version = 0;
    };
    // Runs query on each readable catalogue; one that fails midway is
    // named among the problems and read no more.
    template <class Query> void each(Query query);

    files::Folder m_folder;
    bool m_found = false;
    std::vector<Opened> m_catalogues;
    std::vector<CatalogueProblem> m_problems;
};

// The places among sources: each file, member (by its position too) and
// index once, at its first
// capture, in the order given.
std::vector<CatalogueEntry> DistinctPlaces(const std::vector<CatalogueEntry>& sources);

} // namespace glyphor::catalogue
