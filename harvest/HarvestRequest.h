#pragma once
// What a harvest is asked to do: every icon of every executable below a
// folder (Scan Tree), or every icon of one file (Scan File), into a
// destination folder, collecting in the destination's temporary folder.

#include "harvest/SourceKinds.h"

#include <QString>

namespace glyphor {

struct HarvestRequest {
    enum class Kind { Tree, File };

    Kind kind = Kind::Tree;
    // The folder the walk starts in, or the one file scanned; empty for a
    // Scan File with no file chosen, which captures nothing and merges what
    // earlier runs left.
    QString source;
    QString destination;
    // The kinds of file the walk takes icons from.
    SourceKinds kinds;
    // Whether the walk reads the archives it meets (and self-extracting
    // programs) and takes the icons of their members.
    bool archives = false;
    // Whether the destination's catalogue records where each icon came from.
    bool catalogue = true;
    // How many threads read the sources: 1 reads each on the harvest's own
    // thread as the walk reaches it; more read ahead of the walk; 0 is one
    // for each processor of the machine.
    int jobs = 1;

    int readerThreads() const;

    static HarvestRequest scanTree(const QString& folder, const QString& destination)
    {
        return { Kind::Tree, folder, destination, {}, false, true, 1 };
    }
    static HarvestRequest scanFile(const QString& file, const QString& destination)
    {
        return { Kind::File, file, destination, {}, false, true, 1 };
    }
};

// The temporary folder of a destination folder: the folder joined with "Temp".
QString TempFolderOf(const QString& destination);

} // namespace glyphor
