#pragma once
// The order of a tree walk, worked out ahead of the harvest that follows it:
// the source folder first, then every folder below it in the order of their
// full paths, each before its own subfolders; in each folder every entry in
// the order the system lists them (a stop is checked before each, the "."
// and ".." that a search gives included), the files of the kinds harvested
// among them, and then, when archives are read, the folder's archives (and
// programs that may be self-extracting ones).

#include "harvest/FileOps.h"
#include "harvest/HarvestRequest.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>

namespace glyphor {

struct WalkStep {
    enum class Kind {
        Entry, // a directory entry: the place of a stop check
        File, // a file of the kinds harvested, right after its entry
        Archive, // an archive of the folder, after all its entries
    };
    Kind kind = Kind::Entry;
    // For a file or an archive: the folder it is in, held open, its name
    // there and its path as the walk names it.
    std::shared_ptr<const files::Folder> folder;
    QString name;
    QString path;
};

class WalkPlan {
public:
    // sourceFolder ends with "/".
    WalkPlan(FileOps& files, const HarvestRequest& request, const QString& sourceFolder);

    // The next step of the walk; nothing once it has ended.
    std::optional<WalkStep> next();

private:
    // Lists the next folder's entries into m_steps; false at the end.
    bool listNextFolder();

    FileOps& m_files;
    const HarvestRequest& m_request;
    QString m_sourceFolder;
    files::Folder m_source;
    QStringList m_workList;
    int m_index = 0;
    bool m_started = false;
    std::deque<WalkStep> m_steps;
};

} // namespace glyphor
