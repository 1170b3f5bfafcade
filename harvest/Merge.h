#pragma once
// The merge and clean-up of a harvest: every icon collected in the temporary
// folder is compared with the destination's icons, copied in under the next
// free name when none holds it, and deleted from the temporary folder
// afterwards. Before each comparison it checks for a stop, and answers it
// with the compare stop question.

#include "harvest/JobContext.h"

#include <QSet>
#include <QStringList>

namespace glyphor {

class DestinationIndex;
struct Probe;

class Merge {
public:
    explicit Merge(JobContext& job);

    // The merge and the clean-up: End, or Abandon.
    NextPhase run();

private:
    // How one collected icon's comparisons ended.
    enum class Comparison { Duplicate, New, Stopped, Abandoned };

    NextPhase mergeAll(DestinationIndex& index);
    Comparison compare(DestinationIndex& index, const QString& name, const Probe& probe);
    // Copies a collected icon into the destination under the next free name
    // and counts it; returns the copy's name, or nothing when the copy failed.
    std::optional<QString> copyIn(DestinationIndex& index, const QString& collected, bool compared);
    bool checkpoint(DestinationIndex& index, Checkpoint at, bool now = false);
    // Records the collected icons from first on as left out by the user.
    void discardFrom(int first);
    void cleanUp();

    JobContext& m_job;
    QStringList m_collected;
    // Collected files whose copy failed: the clean-up keeps them for the next run.
    QSet<int> m_keep;
    bool m_firstComparison = true; // of the merge, which always gets a checkpoint
};

} // namespace glyphor
