#pragma once
// Icons of known pictures for the tests of the engine, the window and the
// icon picker, in place of the platform's extraction.

#include "harvest/IconProvider.h"
#include "iconfile/IconImage.h"

#include <QHash>
#include <QString>
#include <QVector>

#include <cstdint>
#include <mutex>

namespace glyphor::kit {

// A size x size picture, opaque, whose colours follow seed so that different
// seeds give icon files that differ within their first 500 bytes.
IconImage MakeIcon(int seed, int size = kIconSize);

// A size x size picture of one colour, 0xAARRGGBB, without a transparent pixel.
IconImage SolidIcon(std::uint32_t argb, int size = kIconSize);

// A file holds the icons added for its name, whatever folder it is in; any
// other file holds those given for every file, none unless they are set, as
// a file without icons does. It counts what it is asked. Harvests that read
// ahead ask it from several threads at once.
class FakeIconProvider final : public IconProvider {
public:
    void add(const QString& name, QVector<IconImage> icons);
    void setEveryFile(QVector<IconImage> icons) { m_everyFile = std::move(icons); }

    int count(const QString& path) const override;
    std::optional<IconImage> extract(const QString& path, int index) const override;

    // Every extraction raises, as a reader that breaks inside a file does.
    bool failing = false;
    mutable int counts = 0;
    mutable int extractions = 0;

private:
    const QVector<IconImage>& iconsOf(const QString& path) const;

    mutable std::mutex m_counting;
    QHash<QString, QVector<IconImage>> m_files;
    QVector<IconImage> m_everyFile;
};

} // namespace glyphor::kit
