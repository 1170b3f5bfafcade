#include "harvest/Merge.h"

#include "harvest/DestinationIndex.h"
#include "harvest/IconCounter.h"
#include "harvest/NextIconFileName.h"
#include "harvest/TempFolder.h"
#include "platform/FileSystem.h"

#include <cerrno>

#include <utility>

namespace glyphor {

Merge::Merge(JobContext& job)
    : m_job(job)
{
}

NextPhase Merge::run()
{
    // A stop requested after the walk's last check is dropped; the
    // single-file scan keeps it, to be answered at the first comparison.
    if (m_job.request.kind == HarvestRequest::Kind::Tree)
        m_job.setStopState(StopState::None);
    m_job.observer.mergeStarted(m_job.tempFolder);
    // Besides this run's captures, whatever earlier runs left in the folder.
    m_collected = ListCollected(m_job.files, *m_job.temp);
    // Watched from before the first listing, so that nothing done meanwhile
    // goes unseen.
    DestinationIndex index(m_job.files, m_job.destination);
    if (!m_job.checkpoint(Checkpoint::MergeStarted))
        return NextPhase::Abandon;
    SetIconCounter(0);
    // Read when the merge begins, not before: another window or process may
    // have harvested into the folder since, and its icons are duplicates like
    // any other. No other harvest changes the folder from here on, as this
    // one holds it.
    index.read();
    m_job.catalogue.holdSteps();
    const NextPhase next = mergeAll(index);
    if (next == NextPhase::Abandon)
        return next;
    // What the merge did is in the catalogue before any collected file goes.
    m_job.catalogue.commitSteps();
    cleanUp();
    return NextPhase::End;
}

NextPhase Merge::mergeAll(DestinationIndex& index)
{
    const files::Folder& temp = *m_job.temp;
    for (int ci = 0; ci < m_collected.size(); ++ci) {
        if (m_job.abandoned())
            return NextPhase::Abandon;
        const QString& name = m_collected[ci];
        // A collected file that cannot be read equals nothing; its copy then
        // fails too, and it stays for the next run.
        const Probe probe(m_job.files.comparableBytes(temp, name));
        // A file under the program's name that the program did not write (a
        // user's, another program's) is left where it is, neither merged nor
        // deleted.
        if (probe.bytes && !IsProgramIconFile(*probe.bytes)) {
            m_keep.insert(ci);
            continue;
        }

        const std::span<const std::uint8_t> bytes = probe.bytes
            ? std::span<const std::uint8_t>(*probe.bytes)
            : std::span<const std::uint8_t>();
        if (m_job.token.state() == StopState::AddAllRemaining) {
            if (const std::optional<QString> copy = copyIn(index, name, false)) {
                index.addUncompared(*copy);
                m_job.catalogue.placed(name, bytes, *copy);
                m_job.observer.copiedIn(name, *copy, false);
            } else {
                m_keep.insert(ci);
            }
            m_job.observer.addedWithoutComparison(name);
            if (!checkpoint(index, Checkpoint::Copied))
                return NextPhase::Abandon;
            continue;
        }

        switch (compare(index, name, probe)) {
        case Comparison::Abandoned:
            return NextPhase::Abandon;
        case Comparison::Stopped:
            // The user chose to remove the rest: this icon and all later ones.
            discardFrom(ci);
            return NextPhase::End;
        case Comparison::Duplicate:
            continue;
        case Comparison::New:
            break;
        }

        if (const std::optional<QString> copy = copyIn(index, name, true)) {
            index.addCompared(*copy, probe);
            m_job.catalogue.placed(name, bytes, *copy);
            m_job.observer.copiedIn(name, *copy, true);
        } else {
            m_keep.insert(ci);
            // The folder is read again after a failed copy as after any
            // other: what others put into it meanwhile is compared with too.
            index.read();
        }
        if (m_job.request.kind == HarvestRequest::Kind::Tree
            && !checkpoint(index, Checkpoint::Copied))
            return NextPhase::Abandon;
    }
    return NextPhase::End;
}

Merge::Comparison Merge::compare(DestinationIndex& index, const QString& name, const Probe& probe)
{
    // The count is looked at before each comparison: a checkpoint may have
    // read the folder again.
    for (int j = 0; j < index.count(); ++j) {
        // Every comparison is named, and the first of the merge always gets a
        // checkpoint, however short the merge; then the steady pace holds.
        m_job.observer.comparing(name, index.name(j));
        if (!checkpoint(index, Checkpoint::Comparison, std::exchange(m_firstComparison, false)))
            return Comparison::Abandoned;
        if (j >= index.count())
            break;
        if (m_job.token.state() == StopState::StopRequested) {
            if (const std::optional<NextPhase> answered = m_job.stopCheck(StopQuestion::Compare))
                return *answered == NextPhase::Abandon ? Comparison::Abandoned
                                                       : Comparison::Stopped;
            // The question's wait may have let the folder change too.
            index.readIfChanged();
            if (j >= index.count())
                break;
        }
        // Dropped only when the destination file still holds the icon now:
        // another program may have removed or replaced it since it was read.
        if (index.equals(j, probe) && index.confirm(j, probe)) {
            m_job.catalogue.duplicate(name, *probe.bytes, index.name(j));
            m_job.observer.duplicateDropped(name, index.name(j));
            return Comparison::Duplicate;
        }
    }
    return Comparison::New;
}

std::optional<QString> Merge::copyIn(
    DestinationIndex& index, const QString& collected, bool compared)
{
    // The copy is written in the temporary folder, which this run holds, so
    // that a copy cut short by a kill leaves its temporary file there, to be
    // removed by the next run, and never in the destination itself.
    QString reason;
    const std::optional<QString> target = m_job.files.copyToNewName(
        *m_job.temp, collected, m_job.destination,
        [&] {
            QString next = NextIconFileNameIn(m_job.destination);
            index.expect(next);
            return next;
        },
        reason);
    if (!target) {
        m_job.outcome.failedCopies.append(
            FailedCopy { platform::JoinPath(m_job.tempFolder, collected), reason });
        m_job.observer.copyFailed(collected, compared);
        return std::nullopt;
    }
    ++m_job.outcome.added;
    return *target;
}

bool Merge::checkpoint(DestinationIndex& index, Checkpoint at, bool now)
{
    const int before = m_job.checkpoints();
    if (!m_job.paced(at, now))
        return false;
    // Whoever ran at the checkpoint may have written into the destination (a
    // Save Icon): the comparisons that follow see it. Between checkpoints
    // nothing of this thread's can have, and the merge's own copies join the
    // list as they are made.
    if (m_job.checkpoints() != before) {
        index.readIfChanged();
        // Whoever looks at the catalogue meanwhile (the viewer) sees the
        // merge as far as it has come.
        m_job.catalogue.commitSteps();
        m_job.catalogue.holdSteps();
    }
    return true;
}

void Merge::discardFrom(int first)
{
    if (!m_job.catalogue.kept())
        return;
    for (int ci = first; ci < m_collected.size(); ++ci) {
        if (const auto bytes = m_job.files.comparableBytes(*m_job.temp, m_collected[ci]))
            m_job.catalogue.discarded(m_collected[ci], *bytes);
    }
}

void Merge::cleanUp()
{
    for (int i = 0; i < m_collected.size(); ++i) {
        if (!m_keep.contains(i))
            m_job.files.deleteFile(*m_job.temp, m_collected[i]);
    }
}

} // namespace glyphor
