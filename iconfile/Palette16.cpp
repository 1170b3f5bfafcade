#include "iconfile/Palette16.h"

#include <array>
#include <bit>
#include <cstdint>

namespace glyphor {

namespace {

int Channel(std::uint32_t rgb, int shift)
{
    return static_cast<int>((rgb >> shift) & 0xFF);
}

// The colour cube cut into 32 x 32 x 32 cells of 8 x 8 x 8 colours. For each
// cell, the entries that are nearest to some colour in it: an entry whose
// least distance to the cell is no more than the greatest distance of the
// best entry to it. Three cells in four have one, so most colours need no
// search at all, and the others a search of two or three entries; a cell
// never leaves out the entry that is nearest to any of its colours, so the
// answer is the full search's for every colour. (Finer cells leave fewer to
// search, but cost more to lay out than a short harvest gains.)
struct Cells {
    std::array<std::uint16_t, std::size_t { 32 } * 32 * 32> candidates {};

    Cells()
    {
        for (int r = 0; r < 32; ++r)
            for (int g = 0; g < 32; ++g)
                for (int b = 0; b < 32; ++b)
                    candidates[std::size_t((r << 10) | (g << 5) | b)] = ofCell(r, g, b);
    }

    // The least and greatest squared distance from a level to the eight
    // values of a cell's channel.
    static int Least(int level, int cell)
    {
        const int low = cell * 8;
        const int high = low + 7;
        const int d = level < low ? low - level : level > high ? level - high : 0;
        return d * d;
    }
    static int Greatest(int level, int cell)
    {
        const int low = cell * 8;
        const int d = std::max(level - low, low + 7 - level);
        return d * d;
    }

    static std::uint16_t ofCell(int r, int g, int b)
    {
        int least[16];
        int bestGreatest = 1 << 30;
        for (int i = 0; i < 16; ++i) {
            const std::uint32_t p = kPalette16[std::size_t(i)];
            least[i] = Least(Channel(p, 16), r) + Least(Channel(p, 8), g) + Least(Channel(p, 0), b);
            bestGreatest = std::min(bestGreatest,
                Greatest(Channel(p, 16), r) + Greatest(Channel(p, 8), g)
                    + Greatest(Channel(p, 0), b));
        }
        std::uint16_t mask = 0;
        for (int i = 0; i < 16; ++i) {
            if (least[i] <= bestGreatest)
                mask |= std::uint16_t(1u << i);
        }
        return mask;
    }
};

const Cells& TheCells()
{
    static const Cells cells;
    return cells;
}

int Distance(std::uint32_t rgb, std::uint32_t entry)
{
    const int dr = Channel(rgb, 16) - Channel(entry, 16);
    const int dg = Channel(rgb, 8) - Channel(entry, 8);
    const int db = Channel(rgb, 0) - Channel(entry, 0);
    return dr * dr + dg * dg + db * db;
}

} // namespace

int NearestColourIndexBySearch(std::uint32_t rgb)
{
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < static_cast<int>(kPalette16.size()); ++i) {
        const int distance = Distance(rgb, kPalette16[std::size_t(i)]);
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
    const std::size_t cell = ((rgb >> 9) & 0x7C00u) | ((rgb >> 6) & 0x3E0u) | ((rgb >> 3) & 0x1Fu);
    unsigned mask = TheCells().candidates[cell];
    // One entry: the lowest bit is all of the mask.
    if ((mask & (0u - mask)) == mask)
        return std::countr_zero(mask);
    // The search of the full table, over the entries that can win, in the
    // same order: a tie still goes to the lower index.
    int best = 0;
    int bestDistance = 1 << 30;
    for (; mask != 0; mask &= mask - 1) {
        const int i = std::countr_zero(mask);
        const int distance = Distance(rgb, kPalette16[std::size_t(i)]);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

} // namespace glyphor
