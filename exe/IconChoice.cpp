#include "exe/IconChoice.h"

#include "iconfile/ImageDecoder.h"
#include "util/ByteReader.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <tuple>

namespace glyphor::exe {

namespace {

// Bits per pixel from the PNG header: bit depth times the channels of the
// colour type. A palette image counts its index depth, like a BMP one. Only
// these two fields are read, so that a header cut short after them still
// gives them.
int PngBitCount(const ByteReader& r)
{
    auto depth = r.u8(offsetof(PngHeader, bitDepth));
    auto type = r.u8(offsetof(PngHeader, colourType));
    if (!depth || !type)
        return 0;
    int channels = 0;
    switch (*type) {
    case 0:
        channels = 1;
        break; // grey
    case 2:
        channels = 3;
        break; // RGB
    case 3:
        channels = 1;
        break; // palette
    case 4:
        channels = 2;
        break; // grey + alpha
    case 6:
        channels = 4;
        break; // RGBA
    default:
        return 0;
    }
    return std::min(*depth * channels, 64);
}

int BitCountFromColours(std::uint8_t colours)
{
    switch (colours) {
    case 2:
        return 1;
    case 16:
        return 4;
    default:
        // 256 colours, and 0, which meant "256 or more" in the old
        // directories.
        return 8;
    }
}

} // namespace

int CandidateBitCount(std::uint16_t directoryBitCount, std::uint8_t colourCount,
    const files::SourceReader& file, const ImageRange& image)
{
    if (directoryBitCount != 0 || image.empty())
        return CandidateBitCount(directoryBitCount, colourCount, {});
    const ImageRange header { image.offset,
        std::min<std::uint64_t>(image.length, kImageHeaderBytes) };
    return CandidateBitCount(directoryBitCount, colourCount, ReadImage(file, header));
}

int CandidateBitCount(
    std::uint16_t directoryBitCount, std::uint8_t colourCount, std::span<const std::uint8_t> header)
{
    if (directoryBitCount != 0)
        return directoryBitCount;
    ByteReader r(header);
    if (IsPng(header)) {
        if (int b = PngBitCount(r))
            return b;
    } else if (auto bits = r.u16(offsetof(BitmapInfoHeader, bitCount)); bits && *bits != 0) {
        return *bits;
    }
    return BitCountFromColours(colourCount);
}

std::vector<std::size_t> PreferenceOrder(const std::vector<IconCandidate>& candidates)
{
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < candidates.size(); ++i)
        if (!candidates[i].data.empty())
            order.push_back(i);
    // Distance 0 is an exact 32 x 32 image, so one key covers both rules.
    auto key = [&](std::size_t i) {
        const IconCandidate& c = candidates[i];
        const long distance = std::labs(c.width - 32L) + std::labs(c.height - 32L);
        const long area = static_cast<long>(c.width) * c.height;
        return std::make_tuple(distance, -area, -c.bitCount, i);
    };
    std::sort(
        order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
    return order;
}

} // namespace glyphor::exe
