#pragma once
// The weights of an area-average (box filter) resampling along one axis, in
// whole numbers, shared by every scaling of an icon so that all of them give
// the same bytes on every machine.

#include "iconfile/IconImage.h"

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

// The sums over one destination cell of the source pixels it covers, each
// weighted by its overlap: of alpha (0 where the AND mask says transparent,
// 255 without an alpha channel) and of each channel premultiplied by it
// (c * a, unscaled), so that no rounding happens before the caller's. A
// cell's weights add up to the source's area; with at most 1024 x 1024
// pixels of 255 * 255 the sums stay far inside 64 bits.
struct AreaSums {
    std::uint64_t a = 0, r = 0, g = 0, b = 0;
};

inline AreaSums SumOverCell(const IconImage& source, const AreaSpan& x, const AreaSpan& y)
{
    AreaSums sums;
    for (std::size_t j = 0; j < y.weights.size(); ++j) {
        const std::size_t row
            = static_cast<std::size_t>(y.first + static_cast<int>(j)) * source.width;
        for (std::size_t k = 0; k < x.weights.size(); ++k) {
            const std::size_t i = row + static_cast<std::size_t>(x.first) + k;
            const std::uint32_t p = source.pixels[i];
            std::uint64_t a = source.hasAlpha ? (p >> 24) : 255;
            if (source.mask[i] != 0)
                a = 0;
            const std::uint64_t w = std::uint64_t { y.weights[j] } * x.weights[k];
            sums.a += w * a;
            sums.r += w * (((p >> 16) & 0xFF) * a);
            sums.g += w * (((p >> 8) & 0xFF) * a);
            sums.b += w * ((p & 0xFF) * a);
        }
    }
    return sums;
}

} // namespace glyphor
