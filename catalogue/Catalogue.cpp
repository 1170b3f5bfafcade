#include "catalogue/Catalogue.h"

#include "catalogue/CatalogueConnection.h"
#include "catalogue/CatalogueFiles.h"
#include "catalogue/CatalogueSchema.h"

#include <chrono>
#include <map>
#include <utility>
#include <vector>

namespace glyphor::catalogue {

namespace {

constexpr const char* kNotKept = "the sources of this harvest's icons are not kept";

std::string InParens(const std::string& reason)
{
    return reason.empty() ? std::string() : " (" + reason + ")";
}

// Why a catalogue that was found cannot be written, as the start of a notice.
std::string Trouble(const std::string& path, const OpenedCatalogue& opened)
{
    const std::string reason = InParens(opened.reason);
    switch (opened.condition) {
    case Condition::Damaged:
        return "The catalogue " + path + " is damaged" + reason;
    case Condition::Unreadable:
        return "The catalogue " + path + " cannot be read" + reason;
    case Condition::ReadOnly:
        return "The catalogue " + path + " cannot be written" + reason;
    case Condition::Locked:
        return "The catalogue " + path + " is in use by another program" + reason;
    case Condition::Newer:
        return "The catalogue " + path + " was written by a newer version of Glyphor 2 (layout "
            + std::to_string(opened.version) + "; this version knows "
            + std::to_string(kCatalogueVersion) + ") and is left as it is";
    case Condition::Failed:
    case Condition::Good:
        break;
    }
    return "The catalogue " + path + " cannot be used" + reason;
}

// A condition in which a new catalogue starts beside the one found: this
// one will never be written again as it is.
bool StartsBeside(Condition condition)
{
    return condition == Condition::Damaged || condition == Condition::Unreadable
        || condition == Condition::ReadOnly;
}

std::int64_t Now()
{
    return std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

Catalogue::Catalogue(
    std::string folder, std::string path, std::string shownPath, Database db, std::string notice)
    : m_folder(std::move(folder))
    , m_path(std::move(path))
    , m_shownPath(std::move(shownPath))
    , m_db(std::move(db))
    , m_notice(std::move(notice))
{
}

Catalogue Catalogue::OpenForHarvest(const std::string& folder, const std::string& shownFolder)
{
    const auto shown = [&](int number) {
        return JoinPath(shownFolder.empty() ? folder : shownFolder, CatalogueFileName(number));
    };
    const std::vector<int> numbers = CatalogueNumbersIn(folder);
    // The catalogue is the highest-numbered one in good order. One that will
    // never be usable as it is (damaged, unreadable, read-only, a link) is
    // passed over, so that no file put in the folder under a catalogue's
    // name, whatever its number, stops the catalogue from being kept.
    std::string trouble;
    for (auto n = numbers.rbegin(); n != numbers.rend(); ++n) {
        const std::string path = JoinPath(folder, CatalogueFileName(*n));
        OpenedCatalogue opened = OpenExistingCatalogue(path, Purpose::Harvest);
        if (opened.condition == Condition::Good) {
            std::string notice;
            if (!trouble.empty())
                notice = trouble + "; the sources of icons are kept in " + shown(*n);
            return Catalogue(folder, path, shown(*n), std::move(opened.db), notice);
        }
        const std::string what = Trouble(shown(*n), opened);
        if (!StartsBeside(opened.condition))
            return Catalogue(folder, {}, {}, {},
                (trouble.empty() ? what : trouble + ", and t" + what.substr(1)) + "; " + kNotKept);
        if (trouble.empty())
            trouble = what;
    }
    // A new one after the highest number, or where that is the last, in the
    // first free number; a name taken meanwhile (another program made a file
    // of it) is passed over.
    int next = numbers.empty() ? 1 : numbers.back() + 1;
    if (next > kMaxCatalogueNumber)
        next = 1;
    for (; next <= kMaxCatalogueNumber; ++next) {
        const std::string path = JoinPath(folder, CatalogueFileName(next));
        bool taken = false;
        OpenedCatalogue created = CreateCatalogue(path, taken);
        if (taken)
            continue;
        if (created.condition != Condition::Good) {
            const std::string cannot
                = "catalogue " + shown(next) + " cannot be made" + InParens(created.reason);
            return Catalogue(folder, {}, {}, {},
                (trouble.empty() ? "The " + cannot : trouble + ", and a new " + cannot) + "; "
                    + kNotKept);
        }
        std::string notice;
        if (!trouble.empty())
            notice = trouble + "; the sources of icons are kept in " + shown(next) + " from now on";
        return Catalogue(folder, path, shown(next), std::move(created.db), notice);
    }
    return Catalogue(folder, {}, {}, {},
        trouble + ", and there is no free name for a new catalogue beside it; " + kNotKept);
}

std::string Catalogue::takeNotice()
{
    return std::exchange(m_notice, {});
}

template <class Work> bool Catalogue::guarded(Work work)
{
    if (!kept())
        return false;
    try {
        return work();
    } catch (const SqliteError& e) {
        m_holding = false;
        // Whatever the step began is undone (a transaction SQLite has not
        // rolled back already); the catalogue keeps what was committed.
        try {
            m_db.exec("ROLLBACK");
        } catch (const SqliteError&) {
        }
        // What was committed stays in the journal for the next harvest to
        // take up; nothing more is written to a file that just failed.
        m_db.checkpointOnClose(false);
        m_db.close();
        m_notice = "The catalogue " + m_shownPath + " cannot be written" + InParens(e.what())
            + "; the sources of the icons from here on are not kept";
        return false;
    }
}

void Catalogue::holdSteps()
{
    if (m_holding)
        return;
    m_holding = guarded([&] {
        m_db.exec("BEGIN IMMEDIATE");
        return true;
    });
}

void Catalogue::commitSteps()
{
    if (!m_holding)
        return;
    m_holding = false;
    guarded([&] {
        m_db.exec("COMMIT");
        return true;
    });
}

std::optional<CaptureId> Catalogue::recordCapture(const CaptureRecord& record)
{
    const IconHash iconHash = HashOfBytes(record.iconFile);
    std::optional<IconHash> originalHash = record.originalHash;
    bool stored = false;
    if (!record.originalGroup.empty() && record.originalGroup.size() <= kMaxOriginalBytes) {
        if (originalHash) {
            stored = m_storedHashes->contains(*originalHash);
        } else {
            originalHash = m_known->find(record.originalGroup);
            stored = originalHash.has_value();
            if (!stored)
                originalHash = HashOfBytes(record.originalGroup);
        }
    } else {
        // Too large to keep.
        originalHash.reset();
    }
    // Outside a held transaction, a capture is committed on its own, before
    // its file exists.
    const bool own = !m_holding;
    CaptureId id = 0;
    const bool done = guarded([&] {
        if (own)
            m_db.prepared("BEGIN IMMEDIATE").run();
        if (originalHash && !stored)
            insertOriginal(*originalHash, record.originalGroup);
        Statement& add = m_db.prepared(
            "INSERT INTO captures (time, source, member, icon_index, group_number, group_name,"
            " icon_hash, original_hash, collected, outcome, member_position)"
            " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, 'waiting', ?10)");
        add.bind(1, record.time != 0 ? record.time : Now())
            .bindBlob(2, record.source)
            .bindBlob(3, record.member)
            .bind(4, record.index)
            .bindBlob(7, iconHash)
            .bindBlob(9, record.collected);
        if (record.group.kind == GroupName::Kind::Number)
            add.bind(5, record.group.number);
        else if (record.group.kind == GroupName::Kind::Name)
            add.bindText(6, record.group.name);
        if (originalHash)
            add.bindBlob(8, *originalHash);
        if (!record.memberPosition.empty())
            add.bindText(10, record.memberPosition);
        add.run();
        id = m_db.lastInsertId();
        if (own)
            m_db.prepared("COMMIT").run();
        return true;
    });
    if (done && originalHash && !stored) {
        if (!record.originalHash)
            m_known->add(record.originalGroup, *originalHash);
        m_storedHashes->insert(*originalHash);
    }
    return done ? std::optional<CaptureId>(id) : std::nullopt;
}

void Catalogue::insertOriginal(const IconHash& hash, std::span<const std::uint8_t> group)
{
    Statement& known = m_db.prepared("SELECT 1 FROM originals WHERE hash = ?1");
    known.bindBlob(1, hash);
    const bool there = known.step();
    // A statement left on its row would hold its read open.
    known.reset();
    if (!there)
        m_db.prepared("INSERT INTO originals (hash, bytes) VALUES (?1, ?2)")
            .bindBlob(1, hash)
            .bindBlob(2, group)
            .run();
}

bool Catalogue::forgetCapture(CaptureId id)
{
    return guarded([&] {
        Statement& s = m_db.prepared("DELETE FROM captures WHERE id = ?1 AND outcome = 'waiting'");
        s.bind(1, id).run();
        return m_db.changes() == 1;
    });
}

bool Catalogue::recordCollectedName(CaptureId id, const std::string& collected)
{
    return guarded([&] {
        Statement& s = m_db.prepared(
            "UPDATE captures SET collected = ?2 WHERE id = ?1 AND outcome = 'waiting'");
        s.bind(1, id).bindBlob(2, collected).run();
        return m_db.changes() == 1;
    });
}

bool Catalogue::complete(CaptureId id, Outcome outcome, const std::string* destName,
    const std::optional<IconHash>& destHash)
{
    return guarded([&] {
        Statement& s
            = m_db.prepared("UPDATE captures SET outcome = ?2, dest_name = ?3,"
                            " dest_hash = CASE WHEN ?2 = 'placed' THEN icon_hash ELSE ?4 END"
                            " WHERE id = ?1 AND outcome = 'waiting'");
        s.bind(1, id).bindText(2, OutcomeName(outcome));
        if (destName)
            s.bindBlob(3, *destName);
        if (destHash)
            s.bindBlob(4, *destHash);
        s.run();
        return m_db.changes() == 1;
    });
}

bool Catalogue::recordPlaced(CaptureId id, const std::string& destName)
{
    return complete(id, Outcome::Placed, &destName, std::nullopt);
}

bool Catalogue::recordDuplicate(CaptureId id, const std::string& destName)
{
    if (!kept())
        return false;
    // A destination file that cannot be read leaves the capture found by its
    // own content only.
    std::optional<IconHash> destHash;
    if (auto hashed = HashOfFile(JoinPath(m_folder, destName)))
        destHash = *hashed;
    return complete(id, Outcome::Duplicate, &destName, destHash);
}

bool Catalogue::recordDuplicate(CaptureId id, const std::string& destName, const IconHash& destHash)
{
    return complete(id, Outcome::Duplicate, &destName, destHash);
}

bool Catalogue::recordDiscarded(CaptureId id)
{
    return complete(id, Outcome::Discarded, nullptr, std::nullopt);
}

bool Catalogue::recordLost(CaptureId id)
{
    return complete(id, Outcome::Lost, nullptr, std::nullopt);
}

std::optional<CaptureId> Catalogue::findWaiting(
    const std::string& collected, std::span<const std::uint8_t> iconFile)
{
    const std::vector<CaptureId> all = findAllWaiting(collected, HashOfBytes(iconFile));
    return all.empty() ? std::nullopt : std::optional<CaptureId>(all.back());
}

std::vector<CaptureId> Catalogue::findAllWaiting(
    const std::string& collected, const IconHash& iconHash)
{
    std::vector<CaptureId> found;
    guarded([&] {
        Statement& s
            = m_db.prepared("SELECT id FROM captures WHERE outcome = 'waiting' AND collected = ?1"
                            " AND icon_hash = ?2 ORDER BY id");
        s.bindBlob(1, collected).bindBlob(2, iconHash);
        while (s.step())
            found.push_back(s.integer(0));
        return true;
    });
    return found;
}

int Catalogue::settleWaiting(const std::set<std::string>& unplaced)
{
    commitSteps();
    int changed = 0;
    guarded([&] {
        struct Waiting {
            CaptureId id;
            std::string collected;
            std::optional<IconHash> hash;
        };
        std::vector<Waiting> waiting;
        {
            Statement s(m_db,
                "SELECT id, collected, icon_hash FROM captures WHERE outcome = 'waiting'"
                " ORDER BY id DESC");
            while (s.step())
                waiting.push_back({ s.integer(0), s.bytes(1), HashFromBlob(s.blob(2)) });
        }
        if (waiting.empty())
            return true;
        // Each collected name's file is read once. A name is given again
        // only once its file has gone, so of the captures that name one file,
        // the newest with its content is the one that wrote it.
        std::map<std::string, std::optional<IconHash>> files;
        m_db.exec("BEGIN IMMEDIATE");
        for (const Waiting& w : waiting) {
            auto [at, fresh] = files.try_emplace(w.collected);
            if (fresh) {
                if (auto hashed = HashOfFile(JoinPath(m_folder, w.collected)))
                    at->second = *hashed;
            }
            const bool there = at->second && w.hash && *at->second == *w.hash;
            // A file in Temp stays waiting for every capture of its content:
            // captures equal in every byte share one file. A file saved
            // straight into the destination counts for one capture only.
            if (there && w.collected.find('/') != std::string::npos)
                continue;
            if (there)
                at->second.reset();
            if (!there && fresh && unplaced.contains(w.collected)) {
                // Its file was still being written when the run was cut off:
                // it never was a file, and the capture is taken out.
                Statement gone(m_db, "DELETE FROM captures WHERE id = ?1");
                gone.bind(1, w.id).run();
                ++changed;
                continue;
            }
            Statement s(m_db,
                "UPDATE captures SET outcome = ?2, dest_name = ?3, dest_hash = ?4 WHERE id = ?1");
            s.bind(1, w.id);
            if (there)
                s.bindText(2, OutcomeName(Outcome::Placed))
                    .bindBlob(3, w.collected)
                    .bindBlob(4, *w.hash);
            else
                s.bindText(2, OutcomeName(Outcome::Lost));
            s.run();
            ++changed;
        }
        m_db.exec("COMMIT");
        return true;
    });
    return changed;
}

} // namespace glyphor::catalogue
