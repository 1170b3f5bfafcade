#include "catalogue/CatalogueConnection.h"

#include "catalogue/CatalogueSchema.h"
#include "files/InputFile.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

// The size of the regular file at path; nothing for anything else or none.
std::optional<std::uint64_t> RegularSize(const std::string& path)
{
    struct stat st { };
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

constexpr const char* kJournalSuffixes[] = { "-journal", "-wal", "-shm" };

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
        if (m_walWasThere || RegularSize(m_wal) != std::uint64_t(0))
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

// Whether a connection of any process (this one included) has the write-ahead
// index of the database at path open: SQLite holds a shared lock on one byte
// of the "-shm" file for as long as it does. Such a log is being written;
// one that nobody holds was left by a connection that ended without closing.
// The system's table of locks is read rather than the file opened: closing
// a file of this process would drop the locks its own connections hold.
bool LogInUse(const std::string& path)
{
    struct stat st { };
    if (::lstat((path + "-shm").c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    // The dead man's switch of SQLite's shared-memory index.
    constexpr unsigned long kLiveConnectionByte = 128;
    char file[64];
    std::snprintf(file, sizeof(file), "%02x:%02x:%lu", major(st.st_dev), minor(st.st_dev),
        static_cast<unsigned long>(st.st_ino));
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        // "1: POSIX  ADVISORY  READ 1234 08:01:5678 128 128"; a waiter's
        // line has "->" and holds nothing.
        std::istringstream fields(line);
        std::string field;
        bool waiter = false;
        while (fields >> field && field != file)
            waiter = waiter || field == "->";
        std::string start;
        std::string end;
        if (waiter || field != file || !(fields >> start >> end))
            continue;
        if (std::strtoul(start.c_str(), nullptr, 10) <= kLiveConnectionByte
            && (end == "EOF" || std::strtoul(end.c_str(), nullptr, 10) >= kLiveConnectionByte))
            return true;
    }
    return false;
}

// What the first 100 bytes of a database say before SQLite is let at it, so
// that a file of another kind or of a newer layout is never opened (opening
// one in write-ahead mode makes files beside it).
std::optional<OpenedCatalogue> HeaderProblem(const files::InputFile& file)
{
    if (file.size() == 0)
        return std::nullopt;
    std::uint8_t header[100] = {};
    const auto read = file.readAt(0, header);
    if (read.error != 0)
        return Refused(Condition::Unreadable, std::strerror(read.error));
    constexpr char kMagic[] = "SQLite format 3";
    if (read.count < sizeof(header) || std::memcmp(header, kMagic, sizeof(kMagic)) != 0)
        return Refused(Condition::Damaged, sqlite3_errstr(SQLITE_NOTADB));
    const auto version = static_cast<std::int32_t>((std::uint32_t(header[60]) << 24)
        | (std::uint32_t(header[61]) << 16) | (std::uint32_t(header[62]) << 8) | header[63]);
    if (version > kCatalogueVersion)
        return Refused(Condition::Newer, {}, version);
    return std::nullopt;
}

// What the file system says before SQLite is asked: a file that cannot be
// read, or for a harvest cannot be written. The permission bits count even
// where the system would let the user through (root does not need them):
// a file made read-only stays unwritten. A link, in the catalogue's place
// or a journal's, is in the way: it is never followed.
std::optional<OpenedCatalogue> FileProblem(const std::string& path, Purpose purpose)
{
    struct stat st { };
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        return Refused(Condition::Unreadable, "it is a link, which is not followed");
    for (const char* suffix : kJournalSuffixes) {
        if (::lstat((path + suffix).c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            return Refused(Condition::Unreadable,
                "its journal " + path.substr(path.rfind('/') + 1) + suffix + " is no regular file");
    }
    const files::InputFile file = files::InputFile::open(path);
    if (!file.ok()) {
        if (file.notRegular() && file.error() != EISDIR)
            return Refused(Condition::Unreadable, "not a regular file");
        return Refused(Condition::Unreadable, std::strerror(file.error()));
    }
    if (auto header = HeaderProblem(file))
        return header;
    if (purpose != Purpose::Harvest)
        return std::nullopt;
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

// A path as a URI for SQLite, which then takes parameters after it.
std::string Uri(const std::string& path)
{
    std::string out = "file:";
    for (const char c : path) {
        if (c == '%' || c == '?' || c == '#') {
            constexpr char kHex[] = "0123456789ABCDEF";
            out += '%';
            out += kHex[static_cast<unsigned char>(c) >> 4];
            out += kHex[static_cast<unsigned char>(c) & 15];
        } else {
            out += c;
        }
    }
    return out;
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
    if (opened.version >= 1) {
        if (auto problem = SchemaProblem(db, opened.version)) {
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
        if (purpose == Purpose::Harvest) {
            // The harvest alone recovers what a cut-off run left in the
            // journals; Examine then checks what recovery made of it.
            opened.db.open(path, SQLITE_OPEN_READWRITE, kBusyTimeoutMs);
        } else if (LogInUse(path)) {
            // A harvest is writing it: read along through its log.
            opened.db.open(path, SQLITE_OPEN_READONLY, kBusyTimeoutMs);
        } else {
            // Nobody writes it: the file is read as it lies, with no lock
            // taken and no journal looked at, let alone replayed or deleted.
            const bool left = RegularSize(path + "-journal").value_or(0) > 0
                || RegularSize(path + "-wal").value_or(0) > 0;
            if (left)
                opened.note = "is being written, or was left by a run that was cut short";
            opened.db.open(
                Uri(path) + "?immutable=1", SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, kBusyTimeoutMs);
        }
        Examine(opened, purpose);
    } catch (const SqliteError& e) {
        opened.condition = ConditionOf(e);
        opened.reason = e.what();
    }
    if (opened.condition == Condition::Good) {
        opened.db.checkpointOnClose(purpose == Purpose::Harvest);
        return opened;
    }
    opened.db.close();
    if (opened.condition == Condition::Damaged && purpose == Purpose::Harvest)
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
