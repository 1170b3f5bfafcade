#pragma once
// The order of a tree walk, worked out ahead of the harvest that follows it:
// the source folder first, then every folder below it in the order of their
// full paths, each before its own subfolders; in each folder every entry in
// the order the system lists them (a stop is checked before each, the "."
// and ".." that a search gives included), the files of the kinds harvested
// among them, and then, when archives are read, the folder's archives (and
// programs that may be self-extracting ones).
//
// The destination of the harvest may lie in the tree (or be it): its icon
// files, its catalogue and its Temp folder are what the harvest makes, not
// sources, and are passed over. The folders are known by what they are
// (device and inode), not by their paths, which a link or a ".." can
// disguise.

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
    // sourceFolder ends with "/". destination and temp are the harvest's own
    // folders, held open; either may be nullptr or not ok().
    WalkPlan(FileOps& files, const HarvestRequest& request, const QString& sourceFolder,
        const files::Folder* destination = nullptr, const files::Folder* temp = nullptr);

    // The next step of the walk; nothing once it has ended.
    std::optional<WalkStep> next();

private:
    // Lists the next folder's entries into m_steps; false at the end.
    bool listNextFolder();

    FileOps& m_files;
    const HarvestRequest& m_request;
    QString m_sourceFolder;
    files::Folder m_source;
    const files::Folder* m_destination;
    const files::Folder* m_temp;
    QStringList m_workList;
    int m_index = 0;
    bool m_started = false;
    std::deque<WalkStep> m_steps;
};

} // namespace glyphor
