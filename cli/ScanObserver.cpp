#include "cli/ScanObserver.h"

#include "harvest/RunTexts.h"
#include "harvest/StopToken.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <csignal>

namespace glyphor::cli {

namespace {

// What the signal handler touches: lock-free atomics only.
std::atomic<StopToken*> g_token { nullptr };
std::atomic<int> g_interrupts { 0 };
static_assert(std::atomic<StopToken*>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);

void OnInterrupt(int)
{
    StopToken* token = g_token.load();
    if (!token)
        return;
    if (g_interrupts.fetch_add(1) == 0)
        token->requestStop();
    else
        token->abandon();
}

} // namespace

InterruptHandler::InterruptHandler(StopToken& token)
{
    g_interrupts.store(0);
    g_token.store(&token);
    struct sigaction action { };
    action.sa_handler = OnInterrupt;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
}

InterruptHandler::~InterruptHandler()
{
    struct sigaction action { };
    action.sa_handler = SIG_DFL;
    ::sigaction(SIGINT, &action, nullptr);
    g_token.store(nullptr);
}

int InterruptHandler::count()
{
    return g_interrupts.load();
}

ScanObserver::ScanObserver(ScanProgress& progress)
    : m_progress(progress)
{
}

void ScanObserver::runStarted(const HarvestRequest& request)
{
    m_tree = request.kind == HarvestRequest::Kind::Tree;
    status(kBusyStatus);
}

void ScanObserver::sourceOpened(const QString& file)
{
    m_progress.fileStarted(file);
}

void ScanObserver::iconCapturing(const IconPlace& place)
{
    status(SearchingText(ShownPlace(place, m_tree), place.number, place.count));
}

void ScanObserver::iconCaptured(const IconPlace&, const QString&)
{
    m_progress.iconCaptured();
}

void ScanObserver::walkCutShort(const QString& reason)
{
    status(WalkCutShortStatus(reason));
}

void ScanObserver::comparing(const QString& collected, const QString& destination)
{
    // The job names every comparison; the tool shows the one in progress at
    // each checkpoint, not millions a second.
    m_comparison.set(collected, destination);
}

void ScanObserver::copyFailed(const QString&, bool)
{
    status(kCopyFailedStatus);
}

void ScanObserver::addedWithoutComparison(const QString& collected)
{
    status(CopyingText(collected));
}

StopAnswer ScanObserver::askStop(StopQuestion question)
{
    showComparison();
    noteInterrupts();
    // The search: merge what was collected. The merge: let it go on to its
    // end, since the only other answers throw the rest away or add it
    // uncompared.
    if (question == StopQuestion::Search) {
        m_searchStopped = true;
        return StopAnswer::Yes;
    }
    return StopAnswer::Cancel;
}

void ScanObserver::checkpoint(Checkpoint)
{
    showComparison();
    noteInterrupts();
}

void ScanObserver::runEnding()
{
    status(kReadyStatus);
}

void ScanObserver::notice(const QString& text)
{
    m_progress.note(text);
}

void ScanObserver::noteInterrupts()
{
    const int pressed = InterruptHandler::count();
    if (pressed > 0 && m_interruptsNoted == 0)
        m_progress.note(QStringLiteral("Ctrl+C: the search stops at its next step and what was "
                                       "collected is merged (a merge under way goes on to its "
                                       "end); Ctrl+C again leaves it in Temp for the next run"));
    if (pressed > 1 && m_interruptsNoted < 2)
        m_progress.note(QStringLiteral("Ctrl+C again: the harvest ends now, and what was "
                                       "collected stays in Temp for the next run"));
    m_interruptsNoted = pressed;
}

void ScanObserver::status(const QString& text)
{
    m_comparison.clear();
    m_progress.status(text);
}

void ScanObserver::showComparison()
{
    if (m_comparison.pending())
        status(m_comparison.text());
}

} // namespace glyphor::cli
