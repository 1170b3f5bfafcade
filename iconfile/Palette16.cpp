#include "iconfile/Palette16.h"

namespace glyphor {

// A direct search of the 16 entries: three subtractions and multiplications
// each, no table to build or keep, and exact for every 24-bit colour (a cache
// indexed by fewer bits per channel would not be).
int NearestColourIndex(std::uint32_t rgb)
{
    const int r = static_cast<int>((rgb >> 16) & 0xFF);
    const int g = static_cast<int>((rgb >> 8) & 0xFF);
    const int b = static_cast<int>(rgb & 0xFF);
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < static_cast<int>(kPalette16.size()); ++i) {
        const int dr = r - static_cast<int>((kPalette16[i] >> 16) & 0xFF);
        const int dg = g - static_cast<int>((kPalette16[i] >> 8) & 0xFF);
        const int db = b - static_cast<int>(kPalette16[i] & 0xFF);
        const int distance = dr * dr + dg * dg + db * db;
        // Strictly less: on a tie the lower index, met first, stays.
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

} // namespace glyphor
