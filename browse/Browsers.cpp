#include "browse/Browsers.h"

namespace glyphor {

Browsers::Browsers(Guard guard)
    : m_guard(std::move(guard))
{
    follow(sourceDirs, sourceFiles);
    follow(destDirs, destFiles);
    sourceFiles.setMask(kExecutableMask);
    destFiles.setMask(kIconMask);
}

void Browsers::follow(DirectoryListModel& dirs, FileListModel& files)
{
    QObject::connect(&dirs, &DirectoryListModel::changed, &files, [this, &dirs, &files] {
        const auto work = [&] { files.setDirectory(dirs.directory()); };
        if (m_guard)
            m_guard(work);
        else
            work();
    });
}

} // namespace glyphor
