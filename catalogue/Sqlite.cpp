#include "catalogue/Sqlite.h"

#include "catalogue/SqliteVfs.h"

#include <sqlite3.h>

#include <utility>

namespace glyphor::catalogue {

namespace {

[[noreturn]] void Raise(sqlite3* db, int code)
{
    throw SqliteError(code & 0xff, db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}

} // namespace

Database::~Database()
{
    close();
}

// The prepared statements hold the connection's handle, not the object,
// and so move along with it.
Database::Database(Database&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr))
    , m_prepared(std::move(other.m_prepared))
{
}

Database& Database::operator=(Database&& other) noexcept
{
    if (this != &other) {
        close();
        m_db = std::exchange(other.m_db, nullptr);
        m_prepared = std::move(other.m_prepared);
    }
    return *this;
}

void Database::open(const std::string& path, int flags, int busyTimeoutMs)
{
    close();
    const int rc = sqlite3_open_v2(path.c_str(), &m_db, flags, CatalogueVfsName());
    if (rc != SQLITE_OK) {
        // The handle carries the message even when the open failed.
        const std::string text = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
        close();
        throw SqliteError(rc & 0xff, text);
    }
    sqlite3_extended_result_codes(m_db, 0);
    // A catalogue may come from anyone: the SQL in its schema runs nowhere,
    // and no statement can change the schema behind SQLite's back.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    checkpointOnClose(false);
    sqlite3_busy_timeout(m_db, busyTimeoutMs);
}

void Database::close()
{
    m_prepared.clear();
    if (m_db)
        sqlite3_close_v2(std::exchange(m_db, nullptr));
}

void Database::checkpointOnClose(bool on)
{
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, on ? 0 : 1, nullptr);
}

void Database::exec(const char* sql)
{
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        raise(rc);
}

Statement& Database::prepared(const char* sql)
{
    auto at = m_prepared.find(std::string_view(sql));
    if (at == m_prepared.end())
        at = m_prepared.emplace(sql, std::make_unique<Statement>(*this, sql)).first;
    at->second->reset();
    return *at->second;
}

std::int64_t Database::integer(const char* sql)
{
    Statement s(*this, sql);
    return s.step() ? s.integer(0) : 0;
}

std::string Database::text(const char* sql)
{
    Statement s(*this, sql);
    return s.step() ? s.text(0) : std::string();
}

bool Database::readOnly() const
{
    return sqlite3_db_readonly(m_db, "main") == 1;
}

std::int64_t Database::lastInsertId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

int Database::changes() const
{
    return sqlite3_changes(m_db);
}

std::string Database::errorText() const
{
    return m_db ? sqlite3_errmsg(m_db) : "not open";
}

void Database::raise(int code) const
{
    Raise(m_db, code);
}

Statement::Statement(const Database& db, const char* sql)
    : m_db(db.handle())
{
    const int rc = sqlite3_prepare_v2(m_db, sql, -1, &m_stmt, nullptr);
    if (rc != SQLITE_OK)
        Raise(m_db, rc);
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

namespace {

void Check(sqlite3* db, int rc)
{
    if (rc != SQLITE_OK)
        Raise(db, rc);
}

} // namespace

Statement& Statement::bind(int at, std::int64_t value)
{
    Check(m_db, sqlite3_bind_int64(m_stmt, at, value));
    return *this;
}

Statement& Statement::bindText(int at, std::string_view text)
{
    Check(m_db,
        sqlite3_bind_text64(m_stmt, at, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
    return *this;
}

Statement& Statement::bindBlob(int at, std::span<const std::uint8_t> bytes)
{
    // An empty span may carry no pointer, which SQLite would take for NULL.
    static const std::uint8_t kNothing = 0;
    Check(m_db,
        sqlite3_bind_blob64(
            m_stmt, at, bytes.empty() ? &kNothing : bytes.data(), bytes.size(), SQLITE_TRANSIENT));
    return *this;
}

Statement& Statement::bindBlob(int at, std::string_view bytes)
{
    return bindBlob(at,
        std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

Statement& Statement::bindNull(int at)
{
    Check(m_db, sqlite3_bind_null(m_stmt, at));
    return *this;
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // The statement's own error, which sqlite3_step gives in full only after
    // a reset.
    sqlite3_reset(m_stmt);
    Raise(m_db, rc);
}

void Statement::run()
{
    while (step()) { }
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

std::int64_t Statement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

std::string Statement::text(int column) const
{
    const auto* p = sqlite3_column_text(m_stmt, column);
    const int n = sqlite3_column_bytes(m_stmt, column);
    return p ? std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n))
             : std::string();
}

std::string Statement::bytes(int column) const
{
    const void* p = sqlite3_column_blob(m_stmt, column);
    const int n = sqlite3_column_bytes(m_stmt, column);
    return p ? std::string(static_cast<const char*>(p), static_cast<std::size_t>(n))
             : std::string();
}

std::vector<std::uint8_t> Statement::blob(int column) const
{
    const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(m_stmt, column));
    const int n = sqlite3_column_bytes(m_stmt, column);
    return p ? std::vector<std::uint8_t>(p, p + n) : std::vector<std::uint8_t>();
}

} // namespace glyphor::catalogue
