#pragma once
// Helpers of the browser tests: files and folders made in a temporary folder,
// and the process's current directory put back after each test.

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <unistd.h>

namespace glyphor::test {

inline void makeFiles(const QString& folder, const QStringList& names)
{
    QDir().mkpath(folder);
    for (const QString& name : names) {
        QFile file(folder + QLatin1Char('/') + name);
        file.open(QIODevice::WriteOnly);
    }
}

inline void makeFolders(const QString& folder, const QStringList& names)
{
    for (const QString& name : names)
        QDir().mkpath(folder + QLatin1Char('/') + name);
}

// Restores the process's current directory when the test ends.
class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard() : m_saved(QDir::currentPath()) { }
    ~CurrentDirectoryGuard() { [[maybe_unused]] int rc = chdir(QFile::encodeName(m_saved).constData()); }

private:
    QString m_saved;
};

} // namespace glyphor::test
