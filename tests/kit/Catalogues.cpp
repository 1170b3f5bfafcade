#include "kit/Catalogues.h"

#include "catalogue/Sqlite.h"

#include <sqlite3.h>

#include <sys/wait.h>
#include <unistd.h>

namespace glyphor::kit {

namespace {

// A little pseudo-random sequence, so that blobs do not compress or repeat.
Bytes Sequence(std::uint32_t state, std::size_t size)
{
    Bytes out(size);
    for (std::uint8_t& b : out) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    return out;
}

} // namespace

Bytes FakeIconFile(int seed)
{
    return Sequence(0x1C0u + static_cast<std::uint32_t>(seed), 766);
}

Bytes FakeGroup(int seed, std::size_t size)
{
    return Sequence(0x6E0u + static_cast<std::uint32_t>(seed) * 7919u, size);
}

LockingProcess::LockingProcess(const std::string& path)
{
    int ready[2];
    int release[2];
    if (::pipe(ready) != 0)
        return;
    if (::pipe(release) != 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return;
    }
    m_pid = ::fork();
    if (m_pid == 0) {
        ::close(ready[0]);
        ::close(release[1]);
        char answer = 'n';
        try {
            catalogue::Database db;
            db.open(path, SQLITE_OPEN_READWRITE, 0);
            db.exec("BEGIN EXCLUSIVE");
            answer = 'y';
            (void)!::write(ready[1], &answer, 1);
            // Holds the lock until the parent closes its end.
            (void)!::read(release[0], &answer, 1);
        } catch (const catalogue::SqliteError&) {
            (void)!::write(ready[1], &answer, 1);
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    m_release = release[1];
    char answer = 'n';
    if (m_pid > 0 && ::read(ready[0], &answer, 1) == 1)
        m_locked = answer == 'y';
    ::close(ready[0]);
}

LockingProcess::~LockingProcess()
{
    if (m_release >= 0)
        ::close(m_release);
    if (m_pid > 0)
        ::waitpid(m_pid, nullptr, 0);
}

} // namespace glyphor::kit
