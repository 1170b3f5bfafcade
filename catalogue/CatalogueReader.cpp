#include "catalogue/CatalogueReader.h"

#include "catalogue/CatalogueConnection.h"
#include "catalogue/CatalogueFiles.h"
#include "catalogue/CatalogueSchema.h"
#include "files/Folder.h"

#include <algorithm>
#include <set>
#include <string>
#include <tuple>

namespace glyphor::catalogue {

namespace {

std::string Problem(
    const std::string& path, Condition condition, const std::string& reason, int version)
{
    const std::string why = reason.empty() ? std::string() : " (" + reason + ")";
    switch (condition) {
    case Condition::Damaged:
        return "The catalogue " + path + " is damaged" + why;
    case Condition::Locked:
        return "The catalogue " + path + " is in use by another program" + why;
    case Condition::Newer:
        return "The catalogue " + path + " was written by a newer version of Glyphor 2 (layout "
            + std::to_string(version) + "; this version knows " + std::to_string(kCatalogueVersion)
            + ")";
    default:
        return "The catalogue " + path + " cannot be read" + why;
    }
}

// The columns of an entry from a catalogue of the given layout: one of
// layout 1, which a harvest has not brought up to date yet, has no member
// positions.
std::string EntryColumns(int version)
{
    return std::string("SELECT c.time, c.outcome, c.dest_name, c.collected, c.source, c.member,"
                       " c.icon_index, c.group_number, c.group_name, c.icon_hash, c.original_hash,"
                       " length(o.bytes), ")
        + (version >= 2 ? "c.member_position" : "NULL")
        + " FROM captures c LEFT JOIN originals o ON o.hash = c.original_hash ";
}

CatalogueEntry ReadEntry(const Statement& s)
{
    CatalogueEntry e;
    e.time = s.integer(0);
    e.outcome = OutcomeFromName(s.text(1)).value_or(Outcome::Lost);
    e.file = s.isNull(2) ? s.bytes(3) : s.bytes(2);
    e.source = s.bytes(4);
    e.member = s.bytes(5);
    e.index = static_cast<int>(s.integer(6));
    if (!s.isNull(7))
        e.group = GroupName::Number(static_cast<std::uint16_t>(s.integer(7)));
    else if (!s.isNull(8))
        e.group = GroupName::Name(s.text(8));
    e.iconHash = HashFromBlob(s.blob(9)).value_or(IconHash {});
    e.originalHash = HashFromBlob(s.blob(10));
    e.originalSize = s.isNull(11) ? 0 : s.integer(11);
    e.memberPosition = s.isNull(12) ? std::string() : s.text(12);
    return e;
}

void ByTime(std::vector<CatalogueEntry>& entries)
{
    std::stable_sort(entries.begin(), entries.end(),
        [](const CatalogueEntry& a, const CatalogueEntry& b) { return a.time < b.time; });
}

} // namespace

CatalogueReader::CatalogueReader(const std::string& folder)
    : m_folder(files::Folder::open(folder.empty() ? "." : folder))
{
    // Read through the folder held open, so that a path of any length works
    // and no change of the path meanwhile sends a read elsewhere; messages
    // name the path the caller gave.
    const std::string held
        = m_folder.ok() ? "/proc/self/fd/" + std::to_string(m_folder.descriptor()) : folder;
    const std::vector<int> numbers = CatalogueNumbersIn(held);
    m_found = !numbers.empty();
    for (int n : numbers) {
        const std::string path = JoinPath(folder, CatalogueFileName(n));
        OpenedCatalogue opened
            = OpenExistingCatalogue(JoinPath(held, CatalogueFileName(n)), Purpose::Read);
        if (opened.condition != Condition::Good) {
            m_problems.push_back(
                { path, Problem(path, opened.condition, opened.reason, opened.version), false });
            continue;
        }
        if (!opened.note.empty()) {
            m_problems.push_back({ path,
                "The catalogue " + path + " " + opened.note + ": the next harvest into "
                    + (folder.empty() ? "." : folder) + " recovers it",
                false, true });
        }
        // An empty catalogue (made, then never written) has nothing to read.
        if (opened.version >= 1)
            m_catalogues.push_back({ path, std::move(opened.db), false, opened.version });
    }
    // The folder's current catalogue is the highest one in good order, as
    // for a harvest; where none is, the highest that is not.
    if (!m_catalogues.empty())
        m_catalogues.back().current = true;
    else if (!m_problems.empty())
        m_problems.back().current = !m_problems.back().read;
}

CatalogueReader::~CatalogueReader() = default;

template <class Query> void CatalogueReader::each(Query query)
{
    for (Opened& c : m_catalogues) {
        if (!c.db.isOpen())
            continue;
        try {
            query(c.db, c.version);
        } catch (const SqliteError& e) {
            m_problems.push_back(
                { c.path, Problem(c.path, ConditionOf(e), e.what(), 0), c.current });
            c.db.close();
        }
    }
}

std::vector<CatalogueEntry> CatalogueReader::sources(const IconHash& iconHash)
{
    std::vector<CatalogueEntry> out;
    each([&](Database& db, int version) {
        Statement s(db,
            (EntryColumns(version)
                + "WHERE c.icon_hash = ?1 OR c.dest_hash = ?1 ORDER BY c.time, c.id")
                .c_str());
        s.bindBlob(1, iconHash);
        std::vector<CatalogueEntry> found;
        while (s.step())
            found.push_back(ReadEntry(s));
        // Only what a catalogue gave whole is taken.
        out.insert(out.end(), found.begin(), found.end());
    });
    ByTime(out);
    return out;
}

std::vector<CatalogueEntry> CatalogueReader::sources(std::span<const std::uint8_t> iconFile)
{
    return sources(HashOfBytes(iconFile));
}

std::optional<std::vector<std::uint8_t>> CatalogueReader::original(const IconHash& iconHash)
{
    std::optional<std::vector<std::uint8_t>> best;
    std::int64_t bestTime = 0;
    each([&](Database& db, int) {
        Statement s(db,
            "SELECT o.bytes, c.time FROM captures c JOIN originals o ON o.hash = c.original_hash"
            " WHERE c.icon_hash = ?1 OR c.dest_hash = ?1"
            " ORDER BY length(o.bytes) DESC, c.time, c.id LIMIT 1");
        s.bindBlob(1, iconHash);
        if (!s.step())
            return;
        std::vector<std::uint8_t> bytes = s.blob(0);
        const std::int64_t time = s.integer(1);
        if (!best || bytes.size() > best->size()
            || (bytes.size() == best->size() && time < bestTime)) {
            best = std::move(bytes);
            bestTime = time;
        }
    });
    return best;
}

std::vector<CatalogueEntry> CatalogueReader::entries()
{
    std::vector<CatalogueEntry> out;
    each([&](Database& db, int version) {
        Statement s(db, (EntryColumns(version) + "ORDER BY c.time, c.id").c_str());
        std::vector<CatalogueEntry> found;
        while (s.step())
            found.push_back(ReadEntry(s));
        out.insert(out.end(), found.begin(), found.end());
    });
    ByTime(out);
    return out;
}

std::vector<CatalogueEntry> DistinctPlaces(const std::vector<CatalogueEntry>& sources)
{
    std::vector<CatalogueEntry> out;
    std::set<std::tuple<std::string, std::string, std::string, int>> seen;
    for (const CatalogueEntry& e : sources)
        if (seen.insert({ e.source, e.member, e.memberPosition, e.index }).second)
            out.push_back(e);
    return out;
}

} // namespace glyphor::catalogue
