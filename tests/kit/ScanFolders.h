#pragma once
// The folders of a harvest as the scan tests of the engine, the window and
// the tool set them up: a scratch folder holding a source folder and a
// destination folder, named as the test needs (any bytes), removed with
// everything in them at the end.

#include "kit/Bytes.h"
#include "kit/Files.h"

#include <QString>
#include <QStringList>

namespace glyphor::kit {

// Makes folder as a harvest makes its temporary folder, with its mark.
void MakeHarvestTemp(const QString& folder);

// Whether name is that of a destination's catalogue or one of its journal
// files: what every harvest keeps beside the icon files.
bool IsCatalogueName(const QString& name);
// The names without the catalogue's.
QStringList WithoutCatalogue(QStringList names);

class ScanFolders {
public:
    explicit ScanFolders(const QString& sourceName = QStringLiteral("S"),
        const QString& destinationName = QStringLiteral("D"));
    ScanFolders(const ScanFolders&) = delete;
    ScanFolders& operator=(const ScanFolders&) = delete;

    // The scratch folder that holds the two, and a path inside it.
    const QString& path() const { return m_root; }
    QString filePath(const QString& relative) const { return m_root + QLatin1Char('/') + relative; }
    const QString& source() const { return m_source; }
    const QString& destination() const { return m_destination; }
    // Where a harvest collects its icons before it merges them.
    QString temp() const { return m_destination + QStringLiteral("/Temp"); }
    // Makes that folder as a harvest makes it, with its mark, so that a test
    // can leave there what a harvest that was stopped or killed leaves; the
    // path.
    QString makeTemp() const;

    // Writes bytes at relative inside the source folder, making the folders
    // on the way; the full path.
    QString putSource(const QString& relative, const Bytes& bytes) const;

private:
    ScratchFolder m_scratch;
    QString m_root;
    QString m_source;
    QString m_destination;
};

} // namespace glyphor::kit
