#pragma once
// The merge and clean-up of a harvest: every icon collected in the temporary
// folder is compared with the destination's icons, copied in under the next
// free name when none holds it, and deleted from the temporary folder
// afterwards. Before each comparison it checks for a stop, and answers it
// with the compare stop question.
//
// A harvest merges once at its end, and also whenever the temporary folder
// has no free name left, before it goes on collecting; what an earlier run
// left in the folder is merged first of all, before the run collects
// anything of its own. Each merge takes its icons in the order they were
// collected; what earlier runs left, in the file list's order.

#include "harvest/CollectedIcon.h"
#include "harvest/JobContext.h"

#include <QHash>
#include <QList>
#include <QSet>

#include <optional>

namespace glyphor {

class DestinationIndex;
struct Probe;

class Merge {
public:
    // index: the destination as this run knows it, kept from one merge of
    // the run to the next.
    Merge(JobContext& job, DestinationIndex& index);

    // The merge and the clean-up of collected. batch says the harvest goes
    // on collecting afterwards: a stop requested before the merge then stays
    // to be answered in it. Returns where the harvest goes: nothing when the
    // merge went to its end (a harvest that goes on goes on; the last merge
    // ends it), End when the user chose to remove the rest, Abandon.
    std::optional<NextPhase> run(QList<CollectedIcon> collected, bool batch = false);

private:
    // How one collected icon's comparisons ended.
    enum class Comparison { Duplicate, New, Stopped, Abandoned };

    std::optional<NextPhase> mergeAll();
    Comparison compare(const CollectedIcon& icon, const Probe& probe);
    // Copies a collected icon into the destination under the next free name
    // and counts it; returns the copy's name, or nothing when the copy failed.
    std::optional<QString> copyIn(const QString& collected, bool compared);
    bool checkpoint(Checkpoint at, bool now = false);
    // The bytes of a collected file, read once however many icons share it.
    const Probe& probeOf(const QString& name);
    // Records the collected icons from first on as left out by the user.
    void discardFrom(int first);
    void cleanUp();

    JobContext& m_job;
    DestinationIndex& m_index;
    QList<CollectedIcon> m_collected;
    // Collected files whose copy failed: the clean-up keeps them for the next run.
    QSet<QString> m_keep;
    bool m_firstComparison = true; // of the merge, which always gets a checkpoint
    QString m_probed;
    std::shared_ptr<Probe> m_probe;
    // The files that later icons share, read once for all of them.
    QHash<QString, std::shared_ptr<Probe>> m_shared;
};

} // namespace glyphor
