#pragma once
// Icon files whose sources a catalogue knows, recorded as a harvest records
// them, and the original groups they were made from: real icon files whose
// largest image is a PNG with an alpha channel, so that a picture shown
// from one can be told apart from every other image of the group.

#include "catalogue/Catalogue.h"
#include "iconfile/IconImage.h"
#include "kit/Files.h"
#include "kit/IconImages.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace glyphor::test {

// A picture whose every pixel differs from its neighbours: clear in its
// left quarter, then from half to fully opaque at the right, which a PNG
// keeps as it is (its mask is where it is clear).
inline IconImage AlphaPicture(int width, int height, int seed)
{
    IconImage image;
    image.width = width;
    image.height = height;
    image.hasAlpha = true;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t alpha = x < width / 4 ? 0u
                : width > 1 ? 128u + 127u * static_cast<std::uint32_t>(x) / (width - 1)
                            : 255u;
            const std::uint32_t rgb = (static_cast<std::uint32_t>(x * 5 + seed) & 0xFF) << 16
                | (static_cast<std::uint32_t>(y * 3) & 0xFF) << 8
                | static_cast<std::uint32_t>(seed & 0xFF);
            image.pixels.push_back(alpha << 24 | rgb);
            image.mask.push_back(alpha == 0 ? 1 : 0);
        }
    return image;
}

// An original group as the catalogue keeps it: an icon file of a 16 x 16
// image at 4 bits, a 32 x 32 one at 32 bits and AlphaPicture(width, height,
// seed) as a PNG, listed last but the largest.
inline kit::Bytes OriginalGroup(int width, int height, int seed)
{
    return kit::MakeIcoFile({ { 16, 16, 4 }, { 32, 32, 32 }, { width, height, 32 } },
        { kit::PatternDib(16, 16, 4, seed), kit::PatternDib(32, 32, 32, seed),
            kit::MakePng(AlphaPicture(width, height, seed)) });
}

// One capture of an icon file, as a harvest hands it to the catalogue.
struct SourceOf {
    std::string source;
    std::string member;
    int index = 0;
    catalogue::GroupName group;
    kit::Bytes original; // empty: the capture kept no group
};

// Records every capture of the icon file folder/name (the system's bytes)
// into folder's catalogue, a second apart from time on: the first became
// that file, the others were found to duplicate it.
inline void RecordSources(const std::string& folder, const std::string& name,
    const std::vector<SourceOf>& sources, std::int64_t time)
{
    catalogue::Catalogue c = catalogue::Catalogue::OpenForHarvest(folder);
    if (!c.kept())
        throw std::runtime_error("no catalogue: " + c.takeNotice());
    const kit::Bytes icon = kit::ReadBytes(folder + "/" + name);
    bool first = true;
    for (const SourceOf& s : sources) {
        const auto id = c.recordCapture(
            { s.source, s.member, s.index, s.group, time++, icon, s.original, name });
        if (!id || !(first ? c.recordPlaced(*id, name) : c.recordDuplicate(*id, name)))
            throw std::runtime_error("capture not recorded: " + c.takeNotice());
        first = false;
    }
}

} // namespace glyphor::test
