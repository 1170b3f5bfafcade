#include "kit/FakeIconProvider.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <stdexcept>

namespace glyphor::kit {

IconImage MakeIcon(int seed, int size)
{
    static const std::uint32_t colours[] = { 0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000,
        0xFF000080, 0xFF800080, 0xFF008080, 0xFF808080, 0xFFC0C0C0, 0xFFFF0000, 0xFF00FF00,
        0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF };
    IconImage image;
    image.width = size;
    image.height = size;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.pixels.push_back(colours[std::size_t(seed * 7 + x / 4 + y * 3) % 16]);
    image.mask.assign(std::size_t(size) * size, 0);
    // The pattern repeats every 16 seeds: from 16 on, the seed's higher
    // bits go into the bottom row (the first stored), white for a 1 and
    // black for a 0, where the pattern never has a white pixel beside a
    // black one.
    if (seed >= 16) {
        for (int bit = 0; bit < std::min(size, 16); ++bit)
            image.pixels[std::size_t(size - 1) * size + bit]
                = ((seed >> 4) >> bit) & 1 ? 0xFFFFFFFFu : 0xFF000000u;
    }
    return image;
}

IconImage SolidIcon(std::uint32_t argb, int size)
{
    IconImage image;
    image.width = image.height = size;
    image.pixels.assign(std::size_t(size) * size, argb);
    image.mask.assign(image.pixels.size(), 0);
    return image;
}

void FakeIconProvider::add(const QString& name, QVector<IconImage> icons)
{
    m_files.insert(name, std::move(icons));
}

const QVector<IconImage>& FakeIconProvider::iconsOf(const QString& path) const
{
    const auto it = m_files.constFind(platform::FileNameOf(path));
    return it != m_files.constEnd() ? *it : m_everyFile;
}

int FakeIconProvider::count(const QString& path) const
{
    {
        const std::lock_guard lock(m_counting);
        ++counts;
    }
    return int(iconsOf(path).size());
}

std::optional<IconImage> FakeIconProvider::extract(const QString& path, int index) const
{
    {
        const std::lock_guard lock(m_counting);
        ++extractions;
    }
    if (failing)
        throw std::runtime_error("cannot draw this icon");
    const QVector<IconImage>& icons = iconsOf(path);
    if (index < 0 || index >= icons.size())
        return std::nullopt;
    return icons[index];
}

} // namespace glyphor::kit
