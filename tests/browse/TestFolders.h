#pragma once
// Helpers of the browser tests: files and folders made in a temporary folder,
// and the process's current directory put back after each test. Names go to
// the system byte-exact, so a test can make names that are not UTF-8.

#include "platform/FileSystem.h"
#include "platform/NativePath.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glyphor::test {

// Makes folder and the folders above it.
inline void MakeFolder(const QString& folder)
{
    const std::string bytes = platform::ToNativePath(folder);
    for (std::size_t at = 1; at <= bytes.size(); ++at) {
        if (at == bytes.size() || bytes[at] == '/')
            ::mkdir(bytes.substr(0, at).c_str(), 0777);
    }
}

inline void MakeFiles(const QString& folder, const QStringList& names)
{
    MakeFolder(folder);
    for (const QString& name : names) {
        const int fd = ::open(platform::ToNativePath(folder + QLatin1Char('/') + name).c_str(),
            O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0)
            ::close(fd);
    }
}

inline void MakeFolders(const QString& folder, const QStringList& names)
{
    for (const QString& name : names)
        MakeFolder(folder + QLatin1Char('/') + name);
}

// Restores the process's current directory when the test ends.
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
