#include "iconfile/IconNormalizer.h"

#include "iconfile/AreaWeights.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace glyphor {

namespace {

// One source pixel as the filter sees it: alpha (0 where the AND mask says
// transparent, 255 without an alpha channel) and each channel premultiplied
// by it, kept unscaled (c * a) so that no rounding happens before the end.
struct Premultiplied {
    std::uint32_t a, r, g, b;
};

Premultiplied Premultiply(const IconImage& s, std::size_t i)
{
    const std::uint32_t p = s.pixels[i];
    std::uint32_t a = s.hasAlpha ? (p >> 24) : 255;
    if (s.mask[i] != 0)
        a = 0;
    return { a, ((p >> 16) & 0xFF) * a, ((p >> 8) & 0xFF) * a, (p & 0xFF) * a };
}

std::uint32_t Black()
{
    return 0xFF000000u;
}

} // namespace

IconImage NormalizeIcon(const IconImage& source, int size)
{
    IconImage out;
    if (!source.wellFormed() || size <= 0)
        return out;
    out.width = size;
    out.height = size;
    out.pixels.assign(static_cast<std::size_t>(size) * size, Black());
    out.mask.assign(out.pixels.size(), 1);
    out.hasAlpha = false;

    // At the standard size each destination cell is one source pixel, and the
    // sums below reduce to that pixel alone; this path gives the same bytes
    // without the sums.
    if (source.width == size && source.height == size) {
        for (std::size_t i = 0; i < out.pixels.size(); ++i) {
            const Premultiplied p = Premultiply(source, i);
            if (p.a < 128)
                continue;
            out.pixels[i] = Black() | ((p.r + 127) / 255) << 16 | ((p.g + 127) / 255) << 8
                | (p.b + 127) / 255;
            out.mask[i] = 0;
        }
        return out;
    }

    // Area average: each destination pixel is the weighted mean of the source
    // pixels it covers. The total weight of a cell is src width * src height
    // (in the units of AreaOverlaps); all sums are exact 64-bit integers, so the
    // result does not depend on the compiler or the machine.
    const auto xs = AreaOverlaps(source.width, size);
    const auto ys = AreaOverlaps(source.height, size);
    const std::uint64_t total = std::uint64_t(source.width) * std::uint64_t(source.height);
    for (int dy = 0; dy < size; ++dy) {
        for (int dx = 0; dx < size; ++dx) {
            const AreaSums sums = SumOverCell(source, xs[dx], ys[dy]);
            const std::uint64_t sa = sums.a, sr = sums.r, sg = sums.g, sb = sums.b;
            // Alpha rounded to the nearest whole value decides the mask.
            const std::uint64_t alpha = (sa + total / 2) / total;
            if (alpha < 128)
                continue;
            // The mean of c * a, composited over black: (c * a + 127) / 255
            // on the mean, computed without an intermediate rounding.
            auto channel = [&](std::uint64_t sum) {
                return static_cast<std::uint32_t>((sum + 127 * total) / (255 * total));
            };
            const std::size_t i = static_cast<std::size_t>(dy) * size + dx;
            out.pixels[i] = Black() | channel(sr) << 16 | channel(sg) << 8 | channel(sb);
            out.mask[i] = 0;
        }
    }
    return out;
}

} // namespace glyphor
