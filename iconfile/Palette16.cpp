#include "iconfile/Palette16.h"

namespace glyphor {

int NearestColourIndexBySearch(std::uint32_t rgb)
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

int NearestColourIndex(std::uint32_t rgb)
{
    // An icon has few colours, each met hundreds of times: the answers
    // already found are kept by colour, each thread its own, checked by the
    // whole colour so that a cache slot shared by two colours never gives
    // one the other's answer. A key of 0 is an empty slot: every stored key
    // has bit 24 set.
    struct Cache {
        std::uint32_t key[4096];
        std::uint8_t index[4096];
    };
    thread_local Cache cache {};
    const std::uint32_t colour = rgb & 0xFFFFFFu;
    const std::uint32_t key = colour | 0x1000000u;
    const std::uint32_t slot = (colour * 2654435761u) >> 20;
    if (cache.key[slot] == key)
        return cache.index[slot];
    const int index = NearestColourIndexBySearch(colour);
    cache.key[slot] = key;
    cache.index[slot] = static_cast<std::uint8_t>(index);
    return index;
}

} // namespace glyphor
