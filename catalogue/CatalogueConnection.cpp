#include "catalogue/CatalogueConnection.h"

#include "catalogue/CatalogueSchema.h"
#include "files/InputFile.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glyphor::catalogue {

namespace {

OpenedCatalogue Refused(Condition condition, std::string reason, int version = 0)
{
    OpenedCatalogue out;
    out.condition = condition;
    out.reason = std::move(reason);
    out.version = version;
    return out;
}

bool Exists(const std::string& path)
{
    struct stat st { };
    return ::lstat(path.c_str(), &st) == 0;
}

// The journal files SQLite makes beside a database in write-ahead mode. An
// attempt on a damaged file may leave them behind; those it made, and only
// while they are empty of changes, are removed again, so that a damaged
// catalogue is found as it was left.
class JournalFiles {
public:
    explicit JournalFiles(const std::string& path)
        : m_wal(path + "-wal")
        , m_shm(path + "-shm")
        , m_walWasThere(Exists(m_wal))
        , m_shmWasThere(Exists(m_shm))
    {
    }
    void removeThoseMade() const
    {
        struct stat st { };
        if (m_walWasThere || ::lstat(m_wal.c_str(), &st) != 0 || !S_ISREG(st.st_mode)
            || st.st_size != 0)
            return;
        ::unlink(m_wal.c_str());
        if (!m_shmWasThere)
            ::unlink(m_shm.c_str());
    }

private:
    std::string m_wal;
    std::string m_shm;
    bool m_walWasThere;
    bool m_shmWasThere;
};

// What the file system says before SQLite is asked: a file that cannot be
// read, or for a harvest cannot be written. The permission bits count even
// where the system would let the user through (root does not need them):
// a file made read-only stays unwritten.
std::optional<OpenedCatalogue> FileProblem(const std::string& path, Purpose purpose)
{
    const files::InputFile file = files::InputFile::open(path);
    if (!file.ok()) {
        if (file.notRegular() && file.error() != EISDIR)
            return Refused(Condition::Unreadable, "not a regular file");
        return Refused(Condition::Unreadable, std::strerror(file.error()));
    }
    if (purpose != Purpose::Harvest)
        return std::nullopt;
    struct stat st { };
    if (::fstat(file.descriptor(), &st) != 0)
        return Refused(Condition::Unreadable, std::strerror(errno));
    if ((st.st_mode & (S_IRUSR | S_IRGRP | S_IROTH)) == 0)
        return Refused(Condition::Unreadable, std::strerror(EACCES));
    if (::access(path.c_str(), W_OK) != 0)
        return Refused(Condition::ReadOnly, std::strerror(errno));
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return Refused(Condition::ReadOnly, "the file is read-only");
    return std::nullopt;
}

bool Writable(const std::string& path)
{
    struct stat st { };
    return ::access(path.c_str(), W_OK) == 0 && ::stat(path.c_str(), &st) == 0
        && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

// Brings an open catalogue into the state a harvest writes it in: the
// write-ahead journal (a commit costs no wait for the disk, and readers never
// wait for the harvest), commits that reach the disk at checkpoints rather
// than at every commit, and the current layout.
void PrepareForHarvest(OpenedCatalogue& opened)
{
    Database& db = opened.db;
    if (opened.version == 0)
        db.text("PRAGMA journal_mode = WAL");
    db.exec("PRAGMA synchronous = NORMAL");
    opened.version = Migrate(db, opened.version, CatalogueMigrations());
    // A write lock taken and given back at once: another program holding
    // the catalogue is found now, not at the first capture.
    db.exec("BEGIN IMMEDIATE");
    db.exec("COMMIT");
}

// Reads what the catalogue is and checks that it can be used; raises
// SqliteError when SQLite cannot read it.
void Examine(OpenedCatalogue& opened, Purpose purpose)
{
    Database& db = opened.db;
    const std::int64_t objects = db.integer("SELECT count(*) FROM sqlite_schema");
    opened.version = static_cast<int>(db.integer("PRAGMA user_version"));
    if (opened.version > kCatalogueVersion) {
        opened.condition = Condition::Newer;
        return;
    }
    if (opened.version == 0 && objects != 0) {
        opened.condition = Condition::Damaged;
        opened.reason = "it holds tables of another program";
        return;
    }
    if (opened.version == kCatalogueVersion) {
        if (auto problem = SchemaProblem(db)) {
            opened.condition = Condition::Damaged;
            opened.reason = *problem;
            return;
        }
        // A harvest writes on: damage anywhere is found before it does, so
        // that a new catalogue starts instead of one that fails midway.
        if (purpose == Purpose::Harvest) {
            // The check's own report runs over lines; SQLite's word for
            // what it found says enough.
            if (db.text("PRAGMA quick_check(1)") != "ok") {
                opened.condition = Condition::Damaged;
                opened.reason = sqlite3_errstr(SQLITE_CORRUPT);
                return;
            }
        }
    }
    if (purpose == Purpose::Harvest) {
        if (db.readOnly()) {
            opened.condition = Condition::ReadOnly;
            opened.reason = "attempt to write a readonly database";
            return;
        }
        PrepareForHarvest(opened);
    }
    opened.condition = Condition::Good;
}

} // namespace

Condition ConditionOf(const SqliteError& error)
{
    switch (error.code()) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_FORMAT:
        return Condition::Damaged;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Condition::Locked;
    case SQLITE_READONLY:
        return Condition::ReadOnly;
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return Condition::Unreadable;
    default:
        return Condition::Failed;
    }
}

OpenedCatalogue OpenExistingCatalogue(const std::string& path, Purpose purpose)
{
    if (auto problem = FileProblem(path, purpose))
        return std::move(*problem);
    const JournalFiles journal(path);
    OpenedCatalogue opened;
    try {
        const bool write = purpose == Purpose::Harvest || Writable(path);
        opened.db.open(path, write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, kBusyTimeoutMs);
        Examine(opened, purpose);
    } catch (const SqliteError& e) {
        opened.condition = ConditionOf(e);
        opened.reason = e.what();
    }
    if (opened.condition == Condition::Good) {
        opened.db.checkpointOnClose(true);
        return opened;
    }
    opened.db.close();
    if (opened.condition == Condition::Damaged)
        journal.removeThoseMade();
    return opened;
}

OpenedCatalogue CreateCatalogue(const std::string& path, bool& taken)
{
    taken = false;
    // An empty file is an empty database to SQLite, which then lays it out.
    // Made with O_EXCL: whatever has the name (a file, a folder, a link
    // leading nowhere) is left alone.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        taken = errno == EEXIST;
        return Refused(Condition::Failed, std::strerror(errno));
    }
    ::close(fd);
    OpenedCatalogue opened;
    try {
        opened.db.open(path, SQLITE_OPEN_READWRITE, kBusyTimeoutMs);
        PrepareForHarvest(opened);
        opened.condition = Condition::Good;
        opened.db.checkpointOnClose(true);
    } catch (const SqliteError& e) {
        opened.db.close();
        opened.condition = ConditionOf(e);
        opened.reason = e.what();
        // A name claimed and never written is given back.
        struct stat st { };
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0)
            ::unlink(path.c_str());
    }
    return opened;
}

} // namespace glyphor::catalogue
