#include "harvest/IconCounter.h"

#include <atomic>

namespace glyphor {

namespace {
// The harvest runs on a thread of its own while "Save Icon" runs on the
// window's, and both draw names from the counter. Each call sees a whole
// value; two names taken at the same moment are kept apart by the files
// themselves, which never replace one another.
std::atomic<std::int32_t> g_iconCounter { 0 };
} // namespace

std::int32_t IconCounter()
{
    return g_iconCounter.load(std::memory_order_relaxed);
}

void SetIconCounter(std::int32_t value)
{
    g_iconCounter.store(value, std::memory_order_relaxed);
}

} // namespace glyphor
