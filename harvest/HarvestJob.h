#pragma once
// One harvest, Scan Tree or Scan File, from its start to its end, without a
// window: it takes a request, an icon source, the file operations and a stop
// token, and tells an observer what happens.
//
// A harvest goes through four phases: start (the temporary folder held and
// made ready), extraction (the tree walk or the one file, every icon captured
// into the temporary folder), merge and clean-up (new icons copied into the
// destination, collected files deleted) and end (the temporary folder
// removed when empty). It holds the calling thread from start to end and
// hands control to its observer at the checkpoints, where a stop may be
// requested through the token; the job answers a stop at its next check,
// before each entry of the walk and before each comparison of the merge,
// with one of two questions.

#include "harvest/FileOps.h"
#include "harvest/HarvestObserver.h"
#include "harvest/HarvestOutcome.h"
#include "harvest/HarvestRequest.h"
#include "harvest/JobContext.h"
#include "harvest/StopToken.h"

namespace glyphor {

class IconProvider;
struct CaptureObjects;

class HarvestJob {
public:
    // objects: the scratch images every capture passes through; they outlive
    // the job.
    HarvestJob(HarvestRequest request, const IconProvider& icons, CaptureObjects& objects,
        HarvestObserver& observer, StopToken& token, FileOps& files = SystemFileOps());

    void setPace(CheckpointPace pace, int intervalMs = 15) { m_job.setPace(pace, intervalMs); }

    // Runs the harvest. An error ends it where it happened, after the end
    // (the observer goes through runEnding and runEnded as after any run,
    // and the collected icons stay in the temporary folder for the next
    // run), and is raised then. A harvest into a destination that another
    // harvest holds is refused before anything is told or changed.
    void run();

    const HarvestOutcome& outcome() const { return m_job.outcome; }

private:
    void prepareTempFolder(bool held);
    void end();

    HarvestRequest m_request;
    JobContext m_job;
    bool m_endStarted = false;
};

} // namespace glyphor
