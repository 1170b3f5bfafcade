#pragma once
// The weights of an area-average (box filter) resampling along one axis, in
// whole numbers, shared by every scaling of an icon so that all of them give
// the same bytes on every machine.

#include <algorithm>
#include <cstdint>
#include <vector>

namespace glyphor {

// The source cells that one destination cell covers: the first of them and
// how much of each it covers.
struct AreaSpan {
    int first = 0;
    std::vector<std::uint32_t> weights;
};

// The overlaps of the destination cells with the source cells along one axis.
// Both are measured in units of 1 / (source length * destination length), so
// that every overlap is a whole number: destination cell d spans
// [d * src, (d + 1) * src) and source cell s spans [s * dst, (s + 1) * dst).
// The weights of each destination cell add up to src.
inline std::vector<AreaSpan> AreaOverlaps(int src, int dst)
{
    std::vector<AreaSpan> spans(static_cast<std::size_t>(dst));
    for (int d = 0; d < dst; ++d) {
        const std::int64_t lo = std::int64_t { d } * src;
        const std::int64_t hi = lo + src;
        const int first = static_cast<int>(lo / dst);
        spans[d].first = first;
        for (int s = first; s < src && std::int64_t { s } * dst < hi; ++s) {
            const std::int64_t from = std::max<std::int64_t>(lo, std::int64_t { s } * dst);
            const std::int64_t to = std::min<std::int64_t>(hi, std::int64_t { s + 1 } * dst);
            spans[d].weights.push_back(static_cast<std::uint32_t>(to - from));
        }
    }
    return spans;
}

} // namespace glyphor
