#pragma once
// What the parts of a harvest job share: the request, whoever is told, the
// stop token, the file operations and sources, the figures so far, and the
// checkpoints where the job hands control to whoever runs it.

#include "harvest/CatalogueKeeper.h"
#include "harvest/HarvestObserver.h"
#include "harvest/HarvestOutcome.h"
#include "harvest/HarvestRequest.h"
#include "harvest/StopToken.h"

#include "files/Folder.h"

#include <QElapsedTimer>
#include <QString>

namespace glyphor {

class FileOps;
class IconProvider;
struct CaptureObjects;

// How often the job reaches a checkpoint.
enum class CheckpointPace {
    // After every capture and at the start and end of the run, and about
    // every intervalMs during long stretches (walks through folders without
    // executables, long merges). For a window, which repaints at its pace.
    Steady,
    // At every checkpoint of the run's protocol (before each comparison,
    // after each copy) and never in between. For tests that act at a given
    // checkpoint, and for whoever wants every step.
    Exact,
};

// Where the job goes from a phase: on to the merge, to its end, or away
// without telling anyone anything more (the token was abandoned).
enum class NextPhase { Merge, End, Abandon };

class JobContext {
public:
    JobContext(const HarvestRequest& request, HarvestObserver& observer, StopToken& token,
        FileOps& files, const IconProvider& icons, CaptureObjects& objects);

    const HarvestRequest& request;
    const QString tempFolder;
    // The destination and its temporary folder, held open for the whole run
    // once it has started; every file of the harvest is made, renamed and
    // deleted in them. temp is not ok() when the folder could not be made.
    files::Folder destination;
    const files::Folder* temp = nullptr;
    // Where each capture came from, when the request keeps a catalogue.
    CatalogueKeeper catalogue;
    HarvestObserver& observer;
    StopToken& token;
    FileOps& files;
    const IconProvider& icons;
    CaptureObjects& objects;
    HarvestOutcome outcome;

    void setPace(CheckpointPace pace, int intervalMs);
    CheckpointPace pace() const { return m_pace; }

    // The checkpoints. Each returns false once the token is abandoned, and
    // the caller then returns at once. checkpoint() is reached now; paced()
    // at the exact pace, or when one is due, or when now is true; ifDue() only
    // when one is due, for stretches the protocol has no checkpoint in.
    bool abandoned() const { return token.abandoned(); }
    bool checkpoint(Checkpoint at);
    bool paced(Checkpoint at, bool now = false);
    bool ifDue(Checkpoint at);
    // How many checkpoints have been reached so far.
    int checkpoints() const { return m_checkpoints; }

    // Tells the user something once, and keeps it with the figures.
    void notice(const QString& text)
    {
        outcome.notices << text;
        observer.notice(text);
    }

    // Sets the stop state and says so.
    void setStopState(StopState state);
    // The stop check: when a stop was requested, asks the question and acts
    // on the answer; returns where the job goes, or nothing to go on.
    std::optional<NextPhase> stopCheck(StopQuestion question);

private:
    bool due();

    CheckpointPace m_pace = CheckpointPace::Steady;
    int m_intervalMs = 15;
    QElapsedTimer m_sinceCheckpoint;
    int m_dueCheck = 0;
    int m_checkpoints = 0;
};

} // namespace glyphor
