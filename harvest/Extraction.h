#pragma once
// The extraction phase of a harvest: the walk of a folder tree (every
// executable of the folder, then, when asked, the members of the archives in
// it, then each folder below it in the order of their full paths) or the
// icons of one file, every icon captured into the temporary folder.

#include "harvest/IconProvider.h"
#include "harvest/JobContext.h"

#include <QString>
#include <QStringList>

namespace glyphor {

class Extraction {
public:
    // folderError: why the temporary folder could not be made (0 when it was).
    Extraction(JobContext& job, int folderError);

    // Walks the tree below sourceFolder. Before each entry of each folder it
    // checks for a stop, and answers it with the search stop question.
    NextPhase walk(const QString& sourceFolder);
    // Captures every icon of file; no stop check: every icon is captured.
    NextPhase file(const QString& file);

private:
    class ArchiveScan;

    void scanExecutable(const files::Folder& folder, const QString& path, const QString& name);
    // The members of each archive met in folder, in their order; where the
    // walk goes on, or nothing to go on.
    std::optional<NextPhase> scanArchives(
        const files::Folder& folder, const QString& current, const QStringList& archives);
    // The icons of a member of an archive, held in memory.
    void scanMember(
        const QString& file, const QString& member, std::span<const std::uint8_t> bytes);
    int countIcons(const IconInput& input);
    void capture(const IconPlace& place, const IconInput& input);
    void skip(const IconPlace& place, const QString& reason);
    bool cutShort() const { return !m_job.outcome.walkCutShort.isEmpty(); }

    JobContext& m_job;
    int m_folderError;
    QStringList m_workList;
};

} // namespace glyphor
