#pragma once
// The browser tests change the process's current directory, as the folder
// lists do; each puts it back when it ends.

#include "platform/FileSystem.h"

#include <QString>

namespace glyphor::test {

class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard()
        : m_saved(platform::CurrentDirectory())
    {
    }
    ~CurrentDirectoryGuard() { platform::TryChangeDirectory(m_saved); }

private:
    QString m_saved;
};

} // namespace glyphor::test
