#pragma once
// Icons of known pictures for the engine's tests: each "executable" is a file
// name with a list of icons, whatever folder it is in; any other file gives
// none, as a file without icons does.

#include "harvest/IconProvider.h"
#include "iconfile/IconImage.h"

#include <QFileInfo>
#include <QHash>
#include <QString>
#include <QVector>

#include <cstdint>

namespace glyphor::test {

// A size x size picture, opaque, whose colours follow seed so that different
// seeds give icon files that differ within their first 500 bytes.
inline IconImage MakeIcon(int seed, int size = kIconSize)
{
    static const std::uint32_t colours[] = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080,
                                            0xFF800080, 0xFF008080, 0xFF808080, 0xFFC0C0C0, 0xFFFF0000,
                                            0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF,
                                            0xFFFFFFFF};
    IconImage image;
    image.width = size;
    image.height = size;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.pixels.push_back(colours[std::size_t(seed * 7 + x / 4 + y * 3) % 16]);
    image.mask.assign(std::size_t(size) * size, 0);
    return image;
}

class FakeIconProvider final : public IconProvider {
public:
    void add(const QString& name, QVector<IconImage> icons) { m_files.insert(name, std::move(icons)); }

    int count(const QString& path) const override { return int(m_files.value(QFileInfo(path).fileName()).size()); }
    std::optional<IconImage> extract(const QString& path, int index) const override
    {
        const auto icons = m_files.value(QFileInfo(path).fileName());
        if (index < 0 || index >= icons.size())
            return std::nullopt;
        return icons[index];
    }

private:
    QHash<QString, QVector<IconImage>> m_files;
};

} // namespace glyphor::test
