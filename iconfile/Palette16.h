#pragma once
// The fixed 16-colour table of every icon file the program writes, and the
// match of a colour to it.

#include <array>
#include <cstdint>

namespace glyphor {

// 0x00RRGGBB, in the order of the table's indexes.
inline constexpr std::array<std::uint32_t, 16> kPalette16 = {
    0x000000,
    0x800000,
    0x008000,
    0x808000,
    0x000080,
    0x800080,
    0x008080,
    0x808080,
    0xC0C0C0,
    0xFF0000,
    0x00FF00,
    0xFFFF00,
    0x0000FF,
    0xFF00FF,
    0x00FFFF,
    0xFFFFFF,
};

// Index of the entry nearest to rgb (0x..RRGGBB, the top byte ignored) by
// squared distance in red, green and blue; on a tie, the lower index.
int NearestColourIndex(std::uint32_t rgb);
// The same, found by a search of the 16 entries every time.
int NearestColourIndexBySearch(std::uint32_t rgb);

} // namespace glyphor
