#pragma once
// The running total of icons extracted as one main window keeps it: the total
// that was stored when the window loaded it, and the icons that this window
// has extracted since, kept apart. When the window closes it adds only its
// own icons to the total stored by then, so that another window of the
// program, open at the same time, keeps what it added. The total is a signed
// 32-bit number that stops at its limits instead of wrapping round to a
// negative one.

#include <cstdint>
#include <limits>

namespace glyphor::platform {

// value held in the 32 bits of the total, stopped at either limit.
constexpr std::int32_t SaturatedCount(std::int64_t value)
{
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value < lowest ? lowest : value > highest ? highest : value);
}

class RunningTotal {
public:
    // Starts again from a stored total, with nothing added.
    void start(std::int32_t stored)
    {
        m_stored = stored;
        m_added = 0;
    }

    // One icon extracted. The count of a window's own icons has room for
    // far more than the total can show, so it never wraps either.
    RunningTotal& operator++()
    {
        if (m_added < kMaxAdded)
            ++m_added;
        return *this;
    }

    // Makes the total read `total`: the difference from the stored total
    // becomes this window's own, as if it had extracted that many.
    RunningTotal& operator=(std::int32_t total)
    {
        m_added = std::int64_t { total } - m_stored;
        return *this;
    }

    // The total to show: the stored one and this window's own.
    std::int32_t value() const { return SaturatedCount(m_stored + m_added); }
    operator std::int32_t() const { return value(); }

    std::int32_t stored() const { return m_stored; }
    // The icons this window has extracted since the start (negative only
    // when a total below the stored one was set).
    std::int64_t added() const { return m_added; }

private:
    static constexpr std::int64_t kMaxAdded = std::int64_t { 1 } << 40;

    std::int32_t m_stored = 0;
    std::int64_t m_added = 0;
};

} // namespace glyphor::platform
