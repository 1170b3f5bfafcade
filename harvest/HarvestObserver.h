#pragma once
// What a harvest job tells whoever runs it, in the order it happens. The
// window turns these into its status texts, its busy and idle steps and its
// message pumps; the command-line tool into progress on stderr. Every call
// comes from the thread that runs the job.

#include "harvest/HarvestRequest.h"
#include "harvest/StopToken.h"

#include <QString>

namespace glyphor {

// Where the job hands control to whoever runs it, so that a window can
// repaint and take a stop click. The job checks its stop token after each.
enum class Checkpoint {
    Started, // busy, before the extraction
    Walking, // a long stretch of the walk without captures (steady pace only)
    Captured, // after each capture
    MergeStarted, // the collected icons listed, before the first comparison
    Comparison, // before a comparison with a destination icon
    Copied, // after a copy into the destination
    Ending, // the work done and the run idle again, before Temp is removed
    Ended, // the last thing the job does
};

// The two stop questions: during the walk (merge what was collected?) and
// during the merge (remove the rest, or add them all without comparing?).
enum class StopQuestion { Search, Compare };
// Their answers. Closing a question unanswered counts as Cancel.
enum class StopAnswer { Yes, No, Cancel };

// One icon of a source: the file, its number counted from 1 and how many
// the file has (both 0 when the file's icons could not even be counted), and
// for a member of an archive its path inside the file: the names of the
// archives in between and its own, joined by " › ".
struct IconPlace {
    QString file;
    int number = 0;
    int count = 0;
    QString member;
    // The member's position in its archive ("7"; "2/7" inside a member that
    // is an archive), which tells apart members of one name.
    QString memberPosition {};
};

// A source as people read it: "/path/old.zip › setup/app.exe" for a member of
// an archive, the file alone otherwise.
QString ShownSource(const QString& file, const QString& member);
// The source of an icon in the status bar and the skip lines: a Scan Tree
// names a file by itself, a Scan File by its whole path, and a member of an
// archive is named by the archive's whole path and its own.
QString ShownPlace(const IconPlace& place, bool tree);

class HarvestObserver {
public:
    virtual ~HarvestObserver() = default;

    virtual void runStarted(const HarvestRequest&) { }
    // The job set the stop state (at the start, at the merge, after an answer).
    virtual void stopStateChanged(StopState) { }

    // A source file about to be opened for its icons (also one that turns
    // out to have none).
    virtual void sourceOpened(const QString& /*file*/) { }
    // An icon about to be captured, and captured into the temporary folder
    // under collectedName.
    virtual void iconCapturing(const IconPlace&) { }
    virtual void iconCaptured(const IconPlace&, const QString& /*collectedName*/) { }
    // An icon that could not be captured, and why; the harvest goes on.
    virtual void iconSkipped(const IconPlace&, const QString& /*reason*/) { }
    // No free name was left in the temporary folder even after what was
    // collected was merged (it holds files that could not be copied): the
    // walk ends there.
    virtual void walkCutShort(const QString& /*reason*/) { }

    // The merge begins with the icons collected in tempFolder.
    virtual void mergeStarted(const QString& /*tempFolder*/) { }
    // A collected icon is compared with a destination icon. Called for every
    // comparison, millions of times in a large merge: keep it cheap.
    virtual void comparing(const QString& /*collected*/, const QString& /*destination*/) { }
    // A collected icon copied into the destination under destName; compared
    // is false for the copies made without comparison after the compare stop
    // question was answered No.
    virtual void copiedIn(
        const QString& /*collected*/, const QString& /*destName*/, bool /*compared*/)
    {
    }
    // The copy failed; the collected icon stays in the temporary folder.
    // compared as for copiedIn.
    virtual void copyFailed(const QString& /*collected*/, bool /*compared*/) { }
    // A collected icon copied (or tried) without comparison.
    virtual void addedWithoutComparison(const QString& /*collected*/) { }
    // A collected icon left out because destName already holds it.
    virtual void duplicateDropped(const QString& /*collected*/, const QString& /*destName*/) { }
    // The merge and its clean-up are over. When the temporary folder had no
    // free name left, the harvest goes on collecting after it (and merges
    // again later); what earlier runs left there is merged first of all.
    virtual void mergeEnded() { }

    // A stop was requested: the question to put to the user.
    virtual StopAnswer askStop(StopQuestion) { return StopAnswer::Cancel; }
    virtual void checkpoint(Checkpoint) { }

    // The work is over (or ended by an error): the run goes idle. Then the
    // temporary folder is removed, when it is empty, and runEnded follows.
    virtual void runEnding() { }
    virtual void runEnded() { }

    // Something the user is to be told once, beside the harvest's own steps:
    // why the destination's catalogue is not kept, or where it is kept now.
    virtual void notice(const QString&) { }
};

} // namespace glyphor
