#include "controls/FramePace.h"

namespace glyphor {

FramePace::Duration FramePace::wait(Duration now) const
{
    if (!m_started || now >= m_next)
        return Duration::zero();
    return m_next - now;
}

void FramePace::painted(Duration now)
{
    // On the grid when the frame came in the interval after its due time;
    // a frame painted early (the end of a run brings the window up to date
    // at once) or very late starts a new grid.
    if (m_started && now >= m_next && now - m_next < m_interval)
        m_next += m_interval;
    else
        m_next = now + m_interval;
    m_started = true;
}

} // namespace glyphor
