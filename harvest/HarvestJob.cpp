#include "harvest/HarvestJob.h"

#include "files/NativePath.h"
#include "files/NewFile.h"
#include "harvest/CaptureIcon.h"
#include "harvest/DestinationIndex.h"
#include "harvest/Extraction.h"
#include "harvest/Merge.h"
#include "harvest/RunTexts.h"
#include "harvest/TempFolder.h"
#include "harvest/TempFolderLock.h"
#include "platform/FileSystem.h"
#include "util/Error.h"

#include <exception>
#include <set>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>

namespace glyphor {

namespace {

const QString kTempName = QStringLiteral("Temp");

} // namespace

QString TempFolderOf(const QString& destination)
{
    return platform::JoinPath(destination, kTempName);
}

int HarvestRequest::readerThreads() const
{
    if (jobs > 0)
        return jobs;
    return std::max(1, int(std::thread::hardware_concurrency()));
}

HarvestJob::HarvestJob(HarvestRequest request, const IconProvider& icons, CaptureObjects& objects,
    HarvestObserver& observer, StopToken& token, FileOps& files)
    : m_request(std::move(request))
    , m_job(m_request, observer, token, files, icons, objects)
{
}

void HarvestJob::run()
{
    // The destination is held open from here on: what the run makes,
    // renames and deletes there and in its Temp goes to these folders, even
    // when their paths are changed meanwhile.
    m_job.destination = files::Folder::open(files::ToNativePath(m_request.destination));
    // The temporary folder of another harvest is no destination: its icons
    // would be merged and deleted under that harvest's feet.
    struct stat st { };
    if (m_job.destination.ok()
        && ::fstatat(m_job.destination.descriptor(), kTempMarkName, &st, AT_SYMLINK_NOFOLLOW) == 0)
        throw Error(FormatMessage(kIntoTempFolderError, files::MessagePath(m_request.destination)));
    // One harvest per destination: a second one is refused before it changes
    // anything, on screen or on disk.
    TempFolderLock lock;
    if (lock.acquire(m_job.files, m_job.destination, kTempName) == TempFolderLock::State::Busy)
        throw Error(FormatMessage(
            kHarvestInProgressError, files::DisplayPath(m_request.destination).toStdString()));
    m_job.temp = &lock.folder();
    std::exception_ptr failure;
    try {
        m_job.observer.runStarted(m_request);
        m_job.setStopState(StopState::None);
        NextPhase next = NextPhase::Abandon;
        if (m_job.checkpoint(Checkpoint::Started)) {
            prepareTempFolder(lock.held());
            // Watched from before the first listing, so that nothing done
            // meanwhile goes unseen, and kept from one merge to the next.
            DestinationIndex index(m_job.files, m_job.destination);
            next = NextPhase::Merge;
            // What a run that was killed or stopped left in Temp is merged
            // before anything new is collected, so that one run after any
            // interruption gets it all into the destination.
            if (m_job.temp->ok()) {
                QList<CollectedIcon> left;
                for (const QString& name : ListCollected(m_job.files, *m_job.temp))
                    left.push_back(CollectedIcon { name, std::nullopt, false });
                if (!left.isEmpty()) {
                    if (const std::optional<NextPhase> ended = Merge(m_job, index).run(left, true))
                        next = *ended;
                }
            }
            QList<CollectedIcon> collected;
            if (next == NextPhase::Merge) {
                Extraction extraction(m_job, lock.folderError(), index);
                // However the extraction ends, an error included, every icon
                // it captured takes its name in Temp before anything else
                // happens.
                try {
                    if (m_request.kind == HarvestRequest::Kind::Tree) {
                        QString source = m_request.source;
                        if (!source.endsWith(QLatin1Char('/')))
                            source += QLatin1Char('/');
                        next = extraction.walk(source);
                    } else {
                        next = extraction.file(m_request.source);
                    }
                } catch (...) {
                    extraction.finish();
                    throw;
                }
                collected = extraction.finish();
            }
            if (next == NextPhase::Merge)
                next = Merge(m_job, index).run(std::move(collected)).value_or(NextPhase::End);
        }
        if (next != NextPhase::Abandon)
            end();
        else
            // Left where it stood: what was collected waits for the next run.
            m_job.outcome.leftInTemp = CountCollected(m_job.files, *m_job.temp);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure && !m_job.abandoned() && !m_endStarted) {
        // An error ends the run where it happened, but the run still comes
        // to its end; the collected icons stay in the temporary folder for
        // the next run. An error of the end itself is not followed by a
        // second end.
        try {
            end();
        } catch (...) {
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

void HarvestJob::prepareTempFolder(bool held)
{
    // The folder was made when the run took its lock. A failure to make it is
    // not an error: it may be left from an earlier run, and a destination that
    // cannot be written fails the first capture with its own message.
    // But something else under that name must stop the run here. The merge
    // collects whatever the folder holds and the clean-up deletes it: through
    // a file the destination itself, through a link a folder elsewhere, and
    // their icons would be deleted uncopied.
    const QString& temp = m_job.tempFolder;
    struct stat st { };
    if (m_job.destination.ok()
        && ::fstatat(m_job.destination.descriptor(), files::ToNativePath(kTempName).c_str(), &st,
               AT_SYMLINK_NOFOLLOW)
            == 0
        && !S_ISDIR(st.st_mode))
        throw Error(FormatMessage(kTempFolderInTheWayError, files::MessagePath(temp)));
    // A folder of that name that the program did not make is someone's own:
    // nothing in it is merged, deleted or renamed, and the harvest stops here.
    if (ClaimTempFolder(m_job.files, *m_job.temp) == TempFolderOwner::Someone)
        throw Error(FormatMessage(kForeignTempFolderError, files::MessagePath(temp)));
    // Only a run that goes ahead keeps a catalogue: one refused here makes
    // none.
    if (m_request.catalogue && m_job.destination.ok())
        m_job.catalogue = CatalogueKeeper(m_job.destination, m_request.destination,
            [this](const QString& text) { m_job.notice(text); });
    // A run holds the folder for its whole life, so a temporary file in it
    // belongs to no live writer: it is what a run that was killed while it
    // wrote a capture or a copy left behind. Complete icons left there are
    // merged like any collected icon.
    if (held) {
        // What a run that was cut off left is set right before it is merged;
        // a capture whose file it was still writing never became one.
        std::set<std::string> unplaced;
        for (const QString& name : KilledWritersTemporaries(m_job.files, *m_job.temp))
            unplaced.insert("Temp/" + files::ToNativePath(name));
        m_job.catalogue.settle(unplaced);
        RemoveKilledWritersTemporaries(m_job.files, *m_job.temp);
        RemoveKilledMakersFolders(m_job.files, m_job.destination);
    }
}

void HarvestJob::end()
{
    m_endStarted = true;
    m_job.objects.iconHolder.clear();
    m_job.observer.runEnding();
    if (!m_job.checkpoint(Checkpoint::Ending))
        return;
    // What the next merge would collect.
    m_job.outcome.leftInTemp = CountCollected(m_job.files, *m_job.temp);
    RemoveTempFolder(m_job.files, m_job.destination, kTempName, *m_job.temp);
    m_job.observer.runEnded();
    m_job.checkpoint(Checkpoint::Ended);
}

} // namespace glyphor
