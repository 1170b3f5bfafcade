#include "harvest/Merge.h"

#include "harvest/DestinationIndex.h"
#include "harvest/IconCounter.h"
#include "harvest/NextIconFileName.h"
#include "harvest/TempFolder.h"
#include "platform/FileSystem.h"

#include <cerrno>

#include <utility>

namespace glyphor {

Merge::Merge(JobContext& job, DestinationIndex& index)
    : m_job(job)
    , m_index(index)
{
}

std::optional<NextPhase> Merge::run(QList<CollectedIcon> collected, bool batch)
{
    // A stop requested after the walk's last check is dropped; the
    // single-file scan keeps it, to be answered at the first comparison, and
    // so does a merge the harvest goes on after.
    if (m_job.request.kind == HarvestRequest::Kind::Tree && !batch)
        m_job.setStopState(StopState::None);
    m_job.observer.mergeStarted(m_job.tempFolder);
    m_collected = std::move(collected);
    for (const CollectedIcon& icon : m_collected) {
        if (icon.sharesFile)
            m_shared.insert(icon.name, nullptr);
    }
    if (!m_job.checkpoint(Checkpoint::MergeStarted))
        return NextPhase::Abandon;
    SetIconCounter(0);
    // Read when the merge begins, not before: another window or process may
    // have harvested into the folder since, and its icons are duplicates like
    // any other. No other harvest changes the folder from here on, as this
    // one holds it.
    m_index.readIfChanged();
    m_job.catalogue.holdSteps();
    const std::optional<NextPhase> next = mergeAll();
    if (next == NextPhase::Abandon)
        return next;
    // What the merge did is in the catalogue before any collected file goes.
    m_job.catalogue.commitSteps();
    cleanUp();
    m_job.observer.mergeEnded();
    return next;
}

const Probe& Merge::probeOf(const QString& name)
{
    if (m_probe && name == m_probed)
        return *m_probe;
    // A file that later icons share is kept for them; any other is read
    // once, when its icon's turn comes.
    const auto shared = m_shared.find(name);
    if (shared != m_shared.end() && *shared) {
        m_probe = *shared;
    } else {
        m_probe = std::make_shared<Probe>(m_job.files.comparableBytes(*m_job.temp, name));
        if (shared != m_shared.end())
            *shared = m_probe;
    }
    m_probed = name;
    return *m_probe;
}

std::optional<NextPhase> Merge::mergeAll()
{
    for (int ci = 0; ci < m_collected.size(); ++ci) {
        if (m_job.abandoned())
            return NextPhase::Abandon;
        const CollectedIcon& icon = m_collected[ci];
        const QString& name = icon.name;
        // A collected file that cannot be read equals nothing; its copy then
        // fails too, and it stays for the next run.
        const Probe& probe = probeOf(name);
        // A file under the program's name that the program did not write (a
        // user's, another program's) is left where it is, neither merged nor
        // deleted.
        if (probe.bytes && !IsProgramIconFile(*probe.bytes)) {
            m_keep.insert(name);
            continue;
        }

        const std::span<const std::uint8_t> bytes = probe.bytes
            ? std::span<const std::uint8_t>(*probe.bytes)
            : std::span<const std::uint8_t>();
        if (m_job.token.state() == StopState::AddAllRemaining) {
            if (const std::optional<QString> copy = copyIn(name, false)) {
                m_index.addUncompared(*copy);
                m_job.catalogue.placed(icon, bytes, *copy);
                m_job.observer.copiedIn(name, *copy, false);
            } else {
                m_keep.insert(name);
            }
            m_job.observer.addedWithoutComparison(name);
            if (!checkpoint(Checkpoint::Copied))
                return NextPhase::Abandon;
            continue;
        }

        switch (compare(icon, probe)) {
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

        if (const std::optional<QString> copy = copyIn(name, true)) {
            m_index.addCompared(*copy, probe);
            m_job.catalogue.placed(icon, bytes, *copy);
            m_job.observer.copiedIn(name, *copy, true);
        } else {
            m_keep.insert(name);
            // The folder is read again after a failed copy as after any
            // other: what others put into it meanwhile is compared with too.
            m_index.read();
        }
        if (m_job.request.kind == HarvestRequest::Kind::Tree && !checkpoint(Checkpoint::Copied))
            return NextPhase::Abandon;
    }
    return std::nullopt;
}

Merge::Comparison Merge::compare(const CollectedIcon& icon, const Probe& probe)
{
    const QString& name = icon.name;
    const bool everyStep = m_job.pace() == CheckpointPace::Exact;
    // The count is looked at before each comparison: a checkpoint may have
    // read the folder again.
    for (int j = 0; j < m_index.count(); ++j) {
        // The comparisons that find nothing equal are passed over to the next
        // one that does (or the last), unless every step is to be seen: one
        // check stands for them all, and the list cannot change in between.
        if (!everyStep)
            j = std::min(m_index.nextEqual(j, probe), m_index.count() - 1);
        // Every comparison is named, and the first of the merge always gets a
        // checkpoint, however short the merge; then the steady pace holds.
        m_job.observer.comparing(name, m_index.name(j));
        if (!checkpoint(Checkpoint::Comparison, std::exchange(m_firstComparison, false)))
            return Comparison::Abandoned;
        if (j >= m_index.count())
            break;
        if (m_job.token.state() == StopState::StopRequested) {
            if (const std::optional<NextPhase> answered = m_job.stopCheck(StopQuestion::Compare))
                return *answered == NextPhase::Abandon ? Comparison::Abandoned
                                                       : Comparison::Stopped;
            // The question's wait may have let the folder change too.
            m_index.readIfChanged();
            if (j >= m_index.count())
                break;
        }
        // Dropped only when the destination file still holds the icon now:
        // another program may have removed or replaced it since it was read.
        if (m_index.equals(j, probe) && m_index.confirm(j, probe)) {
            m_job.catalogue.duplicate(icon, *probe.bytes, m_index.name(j));
            m_job.observer.duplicateDropped(name, m_index.name(j));
            return Comparison::Duplicate;
        }
    }
    return Comparison::New;
}

std::optional<QString> Merge::copyIn(const QString& collected, bool compared)
{
    // The copy is written in the temporary folder, which this run holds, so
    // that a copy cut short by a kill leaves its temporary file there, to be
    // removed by the next run, and never in the destination itself.
    QString reason;
    const std::optional<QString> target = m_job.files.copyToNewName(
        *m_job.temp, collected, m_job.destination, [&] { return m_index.nextFreeName(); }, reason);
    if (!target) {
        m_job.outcome.failedCopies.append(
            FailedCopy { platform::JoinPath(m_job.tempFolder, collected), reason });
        m_job.observer.copyFailed(collected, compared);
        return std::nullopt;
    }
    ++m_job.outcome.added;
    return *target;
}

bool Merge::checkpoint(Checkpoint at, bool now)
{
    const int before = m_job.checkpoints();
    if (!m_job.paced(at, now))
        return false;
    // Whoever ran at the checkpoint may have written into the destination (a
    // Save Icon): the comparisons that follow see it. Between checkpoints
    // nothing of this thread's can have, and the merge's own copies join the
    // list as they are made.
    if (m_job.checkpoints() != before) {
        m_index.readIfChanged();
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
        const Probe& probe = probeOf(m_collected[ci].name);
        if (probe.bytes)
            m_job.catalogue.discarded(m_collected[ci], *probe.bytes);
    }
}

void Merge::cleanUp()
{
    for (const CollectedIcon& icon : m_collected) {
        // An icon that shares its file with an earlier one finds it gone.
        if (!m_keep.contains(icon.name) && !icon.sharesFile)
            m_job.files.deleteFile(*m_job.temp, icon.name);
    }
}

} // namespace glyphor
