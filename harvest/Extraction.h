#pragma once
// The extraction phase of a harvest: the walk of a folder tree (every
// executable of the folder, then, when asked, the members of the archives in
// it, then each folder below it in the order of their full paths) or the
// icons of one file, every icon captured into the temporary folder.

#include "harvest/CaptureRecorder.h"
#include "harvest/IconProvider.h"
#include "harvest/JobContext.h"
#include "iconfile/IconFileWriter.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <memory>

namespace glyphor {

class Extraction {
public:
    // folderError: why the temporary folder could not be made (0 when it was).
    Extraction(JobContext& job, int folderError);
    ~Extraction();

    // Walks the tree below sourceFolder. Before each entry of each folder it
    // checks for a stop, and answers it with the search stop question.
    NextPhase walk(const QString& sourceFolder);
    // Captures every icon of file; no stop check: every icon is captured.
    NextPhase file(const QString& file);
    // Gives every capture not yet placed its name, once its record is in the
    // catalogue; after the walk or the file, and before the merge, however
    // the extraction ended.
    void finish();

private:
    class ArchiveScan;

    // Between two entries of the walk, or two members of an archive: the
    // captures recorded meanwhile take their names, the window is kept
    // painted, and a stop is put to the observer. Where the walk goes on,
    // or nothing when it goes on as it was.
    std::optional<NextPhase> entryCheck();
    // The members of each archive met in folder, in their order; where the
    // walk goes on, or nothing to go on.
    std::optional<NextPhase> scanArchives(
        const files::Folder& folder, const QString& current, const QStringList& archives);
    // Every icon of one source (a file, or a member of an archive held in
    // memory) in turn, until the run is abandoned or Temp has no free name.
    void captureAll(const IconInput& input, const QString& file, const QString& member);
    int countIcons(const IconInput& input);
    void capture(const IconPlace& place, const IconInput& input);
    // Places the captures whose records are in the catalogue (all of them,
    // waiting for their records, when all is true).
    void placeRecorded(bool all);
    void skip(const IconPlace& place, const QString& reason);
    bool cutShort() const { return !m_job.outcome.walkCutShort.isEmpty(); }

    JobContext& m_job;
    int m_folderError;
    QStringList m_workList;
    // With a catalogue: the recorder, the captures waiting for their records
    // in the order made, and the folder being read, for the recorder.
    std::unique_ptr<CaptureRecorder> m_recorder;
    struct Pending {
        std::uint64_t ticket;
        std::unique_ptr<PreparedIconFile> file;
    };
    std::deque<Pending> m_pending;
    std::shared_ptr<const files::Folder> m_reading;
};

} // namespace glyphor
