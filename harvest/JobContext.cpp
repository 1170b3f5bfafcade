#include "harvest/JobContext.h"

namespace glyphor {

JobContext::JobContext(const HarvestRequest& request, HarvestObserver& observer, StopToken& token,
    FileOps& files, const IconProvider& icons, CaptureObjects& objects)
    : request(request)
    , tempFolder(TempFolderOf(request.destination))
    , observer(observer)
    , token(token)
    , files(files)
    , icons(icons)
    , objects(objects)
{
    m_sinceCheckpoint.start();
}

void JobContext::setPace(CheckpointPace pace, int intervalMs)
{
    m_pace = pace;
    m_intervalMs = intervalMs;
}

bool JobContext::checkpoint(Checkpoint at)
{
    if (abandoned())
        return false;
    observer.checkpoint(at);
    ++m_checkpoints;
    m_sinceCheckpoint.restart();
    return !abandoned();
}

bool JobContext::paced(Checkpoint at, bool now)
{
    if (m_pace == CheckpointPace::Exact || now || due())
        return checkpoint(at);
    return !abandoned();
}

bool JobContext::ifDue(Checkpoint at)
{
    return due() ? checkpoint(at) : !abandoned();
}

bool JobContext::due()
{
    if (m_pace == CheckpointPace::Exact)
        return false;
    // The clock is looked at every 32nd time only: this is asked once per
    // comparison, millions of times in a large merge.
    if ((++m_dueCheck & 31) != 0)
        return false;
    return m_sinceCheckpoint.elapsed() >= m_intervalMs;
}

void JobContext::setStopState(StopState state)
{
    token.set(state);
    observer.stopStateChanged(state);
}

std::optional<NextPhase> JobContext::stopCheck(StopQuestion question)
{
    if (token.state() != StopState::StopRequested)
        return std::nullopt;
    const bool search = question == StopQuestion::Search;
    const StopAnswer answer = observer.askStop(question);
    // Abandoned while the question was up: the answer counts for nothing.
    if (abandoned())
        return NextPhase::Abandon;
    switch (answer) {
    case StopAnswer::Yes:
        // The search: the walk ends, and what it collected is merged. The
        // compare: this icon and all later ones are not added.
        return search ? NextPhase::Merge : NextPhase::End;
    case StopAnswer::No:
        // The search: the run ends without a merge, the collected icons
        // staying in Temp. The compare: this icon's comparisons go on, and
        // the rest are copied without comparison.
        if (search)
            return NextPhase::End;
        setStopState(StopState::AddAllRemaining);
        return std::nullopt;
    case StopAnswer::Cancel:
        break;
    }
    setStopState(StopState::None);
    return std::nullopt;
}

} // namespace glyphor
