#include "harvest/IconCounter.h"

namespace glyphor {

namespace {
// The program has one GUI thread; the engine and "Save Icon" run on it and
// nowhere else, so the counter needs no lock.
std::int32_t g_iconCounter = 0;
} // namespace

std::int32_t IconCounter()
{
    return g_iconCounter;
}

void SetIconCounter(std::int32_t value)
{
    g_iconCounter = value;
}

} // namespace glyphor
