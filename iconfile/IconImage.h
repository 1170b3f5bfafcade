#pragma once
// One picture of an icon as the program holds it in memory: colour pixels and
// a one-bit mask of the same size, top row first.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace glyphor {

// What every failure to read, decode or write an icon image says first; a
// reason, when one is known, follows after ": " ("Icon image is not valid:
// size out of range").
inline constexpr char kImageNotValidText[] = "Icon image is not valid";

struct IconImage {
    int width = 0;
    int height = 0;
    // 0xAARRGGBB per pixel, width * height of them, top row first. The alpha
    // byte counts only when hasAlpha is set.
    std::vector<std::uint32_t> pixels;
    // One byte per pixel: 1 = transparent (the AND mask bit), 0 = opaque.
    std::vector<std::uint8_t> mask;
    bool hasAlpha = false;

    bool empty() const { return width <= 0 || height <= 0; }
    // Not empty, and pixels and mask hold exactly width * height entries: the
    // one shape that the normalizer and both encoders can index without checks.
    bool wellFormed() const
    {
        if (empty())
            return false;
        const std::size_t count
            = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        return pixels.size() == count && mask.size() == count;
    }
    std::uint32_t pixel(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * width + x];
    }
    bool transparent(int x, int y) const
    {
        return mask[static_cast<std::size_t>(y) * width + x] != 0;
    }

    bool operator==(const IconImage&) const = default;
};

// The size of the icon that every capture and every reader produces
// (the system's standard icon size).
inline constexpr int kIconSize = 32;

} // namespace glyphor
