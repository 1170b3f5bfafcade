#include "iconfile/IconScaler.h"

#include "iconfile/AreaWeights.h"

#include <cstdint>
#include <vector>

namespace glyphor {

ImageSize FitWithin(int width, int height, int side)
{
    if (width <= side && height <= side)
        return { width, height };
    // The shorter side scaled by side / longer, rounded half up, in 64 bits.
    auto scaled = [side](int shorter, int longer) {
        const std::int64_t n
            = (std::int64_t { shorter } * side * 2 + longer) / (std::int64_t { 2 } * longer);
        return static_cast<int>(n < 1 ? 1 : n);
    };
    if (width >= height)
        return { side, scaled(height, width) };
    return { scaled(width, height), side };
}

IconImage ScaleIconDown(const IconImage& source, int width, int height)
{
    IconImage out;
    if (!source.wellFormed() || width <= 0 || height <= 0 || width > source.width
        || height > source.height)
        return out;
    out.width = width;
    out.height = height;
    out.hasAlpha = true;
    out.pixels.assign(static_cast<std::size_t>(width) * height, 0);
    out.mask.assign(out.pixels.size(), 1);

    // Each destination pixel is the weighted sum of the source pixels it
    // covers; the weights of one pixel add up to the source's area (in the
    // units of AreaOverlaps). With at most 1024 x 1024 pixels of 255 * 255
    // the sums stay far inside 64 bits.
    const auto xs = AreaOverlaps(source.width, width);
    const auto ys = AreaOverlaps(source.height, height);
    const std::uint64_t total = std::uint64_t(source.width) * std::uint64_t(source.height);
    for (int dy = 0; dy < height; ++dy) {
        for (int dx = 0; dx < width; ++dx) {
            const AreaSums sums = SumOverCell(source, xs[dx], ys[dy]);
            const std::uint64_t sa = sums.a, sr = sums.r, sg = sums.g, sb = sums.b;
            const std::uint64_t alpha = (sa + total / 2) / total;
            if (alpha == 0)
                continue;
            // The mean of c * a over the mean of a: the colour the covered
            // pixels show, each counted by how opaque it is.
            auto channel = [sa](std::uint64_t sum) {
                return static_cast<std::uint32_t>((sum + sa / 2) / sa);
            };
            const std::size_t i = static_cast<std::size_t>(dy) * width + dx;
            out.pixels[i] = static_cast<std::uint32_t>(alpha) << 24 | channel(sr) << 16
                | channel(sg) << 8 | channel(sb);
            out.mask[i] = 0;
        }
    }
    return out;
}

} // namespace glyphor
