#pragma once
// The extraction phase of a harvest: the walk of a folder tree (every
// executable of the folder, then, when asked, the members of the archives in
// it, then each folder below it in the order of their full paths) or the
// icons of one file, every icon captured into the temporary folder.
//
// With one thread (and always at the exact pace, where whoever runs the job
// acts at given checkpoints) each source is read when the walk reaches it,
// one icon at a time. With more, reader threads read the sources ahead of
// the walk, several archives at once, and this thread takes what they made
// in the walk's order: every name, file, record and message is the same
// whatever the number of threads.
//
// Each capture is written under a hidden name, recorded in the catalogue
// with a batch of others, and given its name once the batch is committed. A
// capture equal in every byte to one collected before it since the last
// merge shares that one's file. When Temp has no free name left, what was
// collected is merged and the walk goes on.

#include "harvest/CollectedIcon.h"
#include "harvest/JobContext.h"
#include "harvest/NextIconFileName.h"
#include "harvest/SourceWork.h"
#include "iconfile/IconFileWriter.h"

#include <QElapsedTimer>
#include <QList>
#include <QString>

#include <deque>
#include <memory>
#include <unordered_map>

namespace glyphor {

class DestinationIndex;
class OriginalHashes;
class SourcePool;
class SourceTask;
struct WalkStep;
class WalkPlan;

class Extraction {
public:
    // folderError: why the temporary folder could not be made (0 when it
    // was). index: the destination, for the merges the walk makes on the way.
    Extraction(JobContext& job, int folderError, DestinationIndex& index);
    ~Extraction();
    Extraction(const Extraction&) = delete;
    Extraction& operator=(const Extraction&) = delete;

    // Walks the tree below sourceFolder. Before each entry of each folder it
    // checks for a stop, and answers it with the search stop question.
    NextPhase walk(const QString& sourceFolder);
    // Captures every icon of file; no stop check: every icon is captured.
    NextPhase file(const QString& file);
    // Gives every capture its name, once its record is in the catalogue, and
    // hands over what was collected since the last merge, in the order it
    // was collected; after the walk or the file, however the extraction
    // ended.
    QList<CollectedIcon> finish();

private:
    class Source;
    class InlineSource;
    class ReadySource;
    class ArchiveScan;

    // Between two entries of the walk, or two members of an archive: the
    // window is kept painted, and a stop is put to the observer. Where the
    // walk goes on, or nothing when it goes on as it was.
    std::optional<NextPhase> entryCheck();
    std::optional<NextPhase> afterSource();
    // The next step of the walk, with the sources ahead of it submitted to
    // the readers.
    std::optional<WalkStep> nextStep(WalkPlan& plan);
    std::shared_ptr<SourceTask> submit(const WalkStep& step);
    // Takes what a reader made of a file, or of an archive's members, with
    // a check before each member; stop says whether a stop asked for while
    // a reader keeps this thread waiting is answered then.
    std::optional<NextPhase> takeTask(SourceTask& task, bool archive, bool stop);
    std::optional<NextPhase> scanArchive(const WalkStep& step);
    // Every icon of one source in turn, until the run is abandoned, ends,
    // or Temp has no free name.
    void captureAll(Source& source);
    void capture(const IconPlace& place, Source& source, int index);
    void collect(const IconPlace& place, IconWork& icon);
    std::optional<catalogue::CaptureId> record(
        const IconPlace& place, const IconWork& icon, const QString& collected);
    // The captures written so far take their names, their records committed.
    void placeWritten();
    // Merges what was collected when Temp has no free name left; false when
    // the harvest goes no further (m_ended says where it goes).
    bool mergeCollected();
    void skip(const IconPlace& place, const QString& reason);
    bool cutShort() const { return !m_job.outcome.walkCutShort.isEmpty(); }
    bool goesOn() const { return !m_job.abandoned() && !cutShort() && !m_ended; }
    void cancelAhead();

    JobContext& m_job;
    int m_folderError;
    DestinationIndex& m_index;
    // The hashes of the original groups met, when the catalogue keeps them.
    std::unique_ptr<OriginalHashes> m_originals;
    // Reader threads, when the job has more than one.
    std::unique_ptr<SourcePool> m_pool;
    std::deque<std::pair<WalkStep, std::shared_ptr<SourceTask>>> m_ahead;
    int m_tasksAhead = 0;
    // Where the harvest goes, once a merge on the way decided it.
    std::optional<NextPhase> m_ended;

    // What was collected since the last merge, and of it, the files by their
    // bytes (a capture equal to one of them shares its file).
    QList<CollectedIcon> m_collected;
    struct Kept {
        std::vector<std::uint8_t> bytes;
        int at; // in m_collected
    };
    std::unordered_multimap<std::uint64_t, Kept> m_files;
    // Captures written under hidden names, waiting for their batch's records.
    struct Written {
        std::unique_ptr<PreparedIconFile> file;
        std::optional<catalogue::CaptureId> id;
        int at; // in m_collected
    };
    std::deque<Written> m_written;
    // Records wait in a transaction, since the time m_sinceWritten started.
    bool m_holding = false;
    QElapsedTimer m_sinceWritten;
    TakenIconNames m_tempNames;
};

} // namespace glyphor
