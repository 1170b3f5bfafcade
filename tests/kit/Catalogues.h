#pragma once
// What the tests of the catalogue and of the commands that read it share:
// bytes that stand for icon files and original groups (the catalogue only
// hashes and keeps them), and another process that holds a catalogue's
// write lock.

#include "kit/Bytes.h"

#include <string>
#include <sys/types.h>

namespace glyphor::kit {

// 766 bytes, the same for the same seed and different for another.
Bytes FakeIconFile(int seed);
// size bytes standing for an original group, the same for the same seed.
Bytes FakeGroup(int seed, std::size_t size);

// A child process that opens the SQLite database at path and holds its
// write lock (BEGIN EXCLUSIVE) until the object goes. locked() tells
// whether it got it.
class LockingProcess {
public:
    explicit LockingProcess(const std::string& path);
    ~LockingProcess();
    LockingProcess(const LockingProcess&) = delete;
    LockingProcess& operator=(const LockingProcess&) = delete;

    bool locked() const { return m_locked; }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_locked = false;
};

} // namespace glyphor::kit
