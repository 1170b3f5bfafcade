#pragma once
// The first number that NextIconFileName tries. One counter serves the whole
// process and every folder: captures into the temporary folder, the merge's
// copies and "Save Icon" all draw from it, so a name taken in one folder moves
// the starting point for the next name in any folder. It starts at 0 and is
// never stored; only the duplicate merge turns it back to 0.

#include <cstdint>

namespace glyphor {

std::int32_t IconCounter();
void SetIconCounter(std::int32_t value);

} // namespace glyphor
