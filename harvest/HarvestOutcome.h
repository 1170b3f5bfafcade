#pragma once
// What one harvest did: the figures the window's summary and the tool's last
// line report, and what it left behind.

#include <QList>
#include <QString>
#include <QStringList>

namespace glyphor {

// An icon that a run could not capture: the file, the icon's number counted
// from 1 (0 when the file's icons could not even be counted) of how many, and
// why.
struct SkippedIcon {
    QString file;
    int number = 0;
    int count = 0;
    QString reason;
    // For a member of an archive, or an archive inside one: its path inside
    // file.
    QString member;
};

// A collected icon whose copy into the destination failed, and why; it stays
// in the temporary folder for the next run.
struct FailedCopy {
    QString collected; // its path in the temporary folder
    QString reason;
};

struct HarvestOutcome {
    // Icons captured into the temporary folder, and files added to the destination.
    int captured = 0;
    int added = 0;
    // Icons skipped because they could not be captured, in the order met.
    QList<SkippedIcon> skipped;
    // Copies into the destination that failed ("Copy Failed (202)"), each
    // with its reason.
    QList<FailedCopy> failedCopies;
    // Icon files that stayed in the temporary folder at the end: failed
    // copies, files that could not be deleted, or all after a stop answered No.
    int leftInTemp = 0;
    // Why the walk ended before the end of the tree (no free name left in the
    // temporary folder); empty when it did not.
    QString walkCutShort;
    // What the user was told of the destination's catalogue, in order.
    QStringList notices;

    // True when the run came to its end but left icons behind: any skipped,
    // any copy failed, the walk cut short or files left in Temp.
    bool leftIconsBehind() const
    {
        return !skipped.isEmpty() || !failedCopies.isEmpty() || leftInTemp > 0
            || !walkCutShort.isEmpty();
    }
    // What the user is told at the end of a run that skipped icons or cut its
    // walk short; empty when there is nothing to tell.
    QString skippedSummary() const;
};

} // namespace glyphor
