#include "controls/PacedPainting.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace glyphor {

PacedPainting::PacedPainting(QWidget& window, std::function<void()> frame, FramePace pace)
    : m_window(window)
    , m_frame(std::move(frame))
    , m_pace(pace)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    // A coarse timer may fire a little early, before the frame is due, and
    // the request it posts would be held back once more.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PacedPainting::tick);
}

PacedPainting::~PacedPainting()
{
    if (m_active)
        end();
}

void PacedPainting::begin()
{
    if (m_active)
        return;
    m_active = true;
    m_window.installEventFilter(this);
}

void PacedPainting::end()
{
    if (!m_active)
        return;
    m_active = false;
    m_window.removeEventFilter(this);
    m_timer.stop();
    m_frame();
    releaseHeld();
}

void PacedPainting::changed()
{
    if (m_active)
        schedule();
    else
        m_frame();
}

bool PacedPainting::eventFilter(QObject* watched, QEvent* event)
{
    // The toolkit asks a top-level window to paint by posting it one update
    // request, and posts no other until that one has been handled; all that
    // became dirty meanwhile is painted together when it arrives.
    if (watched != &m_window || event->type() != QEvent::UpdateRequest || !m_active || m_framing)
        return false;
    const FramePace::Duration at = now();
    if (m_pace.wait(at) == FramePace::Duration::zero()) {
        // A frame: the texts set since the last one go into this paint, and
        // nothing is left for the timer to do.
        m_timer.stop();
        m_frame();
        m_pace.painted(at);
        return false;
    }
    m_held = true;
    schedule();
    return true;
}

FramePace::Duration PacedPainting::now() const
{
    return std::chrono::nanoseconds(m_clock.nsecsElapsed());
}

void PacedPainting::schedule()
{
    if (m_timer.isActive())
        return;
    // Rounded up, so that the frame is due when the timer fires.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(m_pace.wait(now()));
    m_timer.start(wait);
}

void PacedPainting::tick()
{
    const FramePace::Duration at = now();
    if (m_pace.wait(at) != FramePace::Duration::zero()) {
        schedule();
        return;
    }
    // The frame: the texts brought up to date, which may ask for a paint,
    // and that request or the one held back delivered at once, so that it
    // paints in this frame. The frame counts also when nothing needed
    // painting (new pictures below the visible rows), so that the texts are
    // brought up to date only at the pace.
    m_frame();
    releaseHeld();
    m_framing = true;
    QCoreApplication::sendPostedEvents(&m_window, QEvent::UpdateRequest);
    m_framing = false;
    m_pace.painted(at);
}

void PacedPainting::releaseHeld()
{
    if (!m_held)
        return;
    m_held = false;
    QCoreApplication::postEvent(&m_window, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}

} // namespace glyphor
