#pragma once
// How a harvest learns that it is to stop. Whoever runs the job holds the
// token: a window's stop click or a Ctrl+C requests a stop, which the job
// answers at its next check with a question; abandoning ends the job at its
// next check without a question, leaving the collected icons in the
// temporary folder for the next run (a window that closes, a second Ctrl+C).
// The state is atomic, so that a signal handler may request a stop directly.

#include <atomic>

namespace glyphor {

// The stop state. The numbers are the ones the program has always kept for
// it, and the window still shows them to anyone who looks.
enum class StopState : int {
    None = 0,
    StopRequested = 999,
    // The compare stop question was answered No: the rest of the collected
    // icons are copied without comparison.
    AddAllRemaining = 998,
};

class StopToken {
public:
    void requestStop() { m_state.store(int(StopState::StopRequested)); }
    StopState state() const { return StopState(m_state.load()); }
    void set(StopState state) { m_state.store(int(state)); }

    void abandon() { m_abandoned.store(true); }
    bool abandoned() const { return m_abandoned.load(); }

private:
    std::atomic<int> m_state { int(StopState::None) };
    std::atomic<bool> m_abandoned { false };
    static_assert(std::atomic<int>::is_always_lock_free);
};

} // namespace glyphor
