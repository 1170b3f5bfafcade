#pragma once
// When a window that a long command keeps busy may paint again. The command
// changes what the window shows thousands of times a second (a status text
// per icon captured, a list row per copy); nobody can read that many frames,
// and painting each one costs more than the work itself. The pace lets the
// window paint at most once per interval, on a grid that it keeps when the
// chances to paint come a little late, so that a command handing control to
// the window every 15 ms still paints close to the full rate.

#include <chrono>

namespace glyphor {

class FramePace {
public:
    using Duration = std::chrono::nanoseconds;

    // 50 frames a second: well above what the eye follows in a status text,
    // and below the 60 of a common display.
    static constexpr Duration kInterval = std::chrono::milliseconds(20);

    explicit FramePace(Duration interval = kInterval)
        : m_interval(interval)
    {
    }

    Duration interval() const { return m_interval; }

    // How long after now the next frame may be painted; zero when one is due.
    // The first frame is due at once.
    Duration wait(Duration now) const;

    // A frame was painted at now. The next one is due one interval after the
    // previous due time, or one interval after now when the frame came more
    // than an interval late (after a modal question, say), so that a long
    // pause is never followed by a burst of frames.
    void painted(Duration now);

private:
    Duration m_interval;
    Duration m_next {};
    bool m_started = false;
};

} // namespace glyphor
