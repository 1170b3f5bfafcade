#pragma once
// The little of SQLite's C interface that the catalogue uses, with the
// handles owned: a connection and its prepared statements. A step that fails
// raises SqliteError with SQLite's code and text, which the catalogue's own
// operations catch at their boundary: nothing raised here leaves the library.

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace glyphor::catalogue {

class SqliteError : public std::runtime_error {
public:
    SqliteError(int code, const std::string& text)
        : std::runtime_error(text)
        , m_code(code)
    {
    }
    // The primary result code (SQLITE_BUSY, SQLITE_CORRUPT, ...).
    int code() const { return m_code; }

private:
    int m_code;
};

class Statement;

class Database {
public:
    Database() = default;
    ~Database();
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens path with SQLite's flags (SQLITE_OPEN_*); raises SqliteError
    // when it cannot. Either way the file's last checkpoint is left to the
    // caller: a connection does not write the write-ahead log into the file
    // on closing until checkpointOnClose(true), so that a file found to be no good
    // is never written to.
    void open(const std::string& path, int flags, int busyTimeoutMs);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    void checkpointOnClose(bool on);

    // Runs one or more statements without results.
    void exec(const char* sql);
    // The statement of sql, prepared once for the connection's life and
    // handed out reset, its parameters NULL: what runs for every capture is
    // not parsed again each time. The caller resets one it leaves on a row.
    Statement& prepared(const char* sql);
    // The single integer the statement gives (a PRAGMA, a count).
    std::int64_t integer(const char* sql);
    // The single text the statement gives.
    std::string text(const char* sql);
    // Whether the connection can only read (the file or its folder is not
    // writable).
    bool readOnly() const;
    std::int64_t lastInsertId() const;
    int changes() const;

    // SQLite's text for its last error on this connection.
    std::string errorText() const;
    [[noreturn]] void raise(int code) const;

    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
    std::map<std::string, std::unique_ptr<Statement>, std::less<>> m_prepared;
};

class Statement {
public:
    Statement(const Database& db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Parameters count from 1, as in SQLite.
    Statement& bind(int at, std::int64_t value);
    Statement& bindText(int at, std::string_view text);
    Statement& bindBlob(int at, std::span<const std::uint8_t> bytes);
    Statement& bindBlob(int at, std::string_view bytes);
    Statement& bindNull(int at);

    // True for a row, false at the end; raises for an error.
    bool step();
    // Runs a statement without results to its end.
    void run();
    void reset();

    bool isNull(int column) const;
    std::int64_t integer(int column) const;
    std::string text(int column) const;
    // A blob column's bytes; a text column's as bytes.
    std::string bytes(int column) const;
    std::vector<std::uint8_t> blob(int column) const;

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

} // namespace glyphor::catalogue
