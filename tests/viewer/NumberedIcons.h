#pragma once
// Icon files that say which they are: icon number n has its top half in
// colour n % 16 and its bottom half in colour (n / 16) % 16 of the icon file
// table, so a picture read back names the file it came from (256 apart).

#include "files/NativePath.h"
#include "iconfile/IconFileWriter.h"
#include "iconfile/IconImage.h"
#include "kit/IconImages.h"
#include "kit/NativeFiles.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace glyphor::test {

inline IconImage NumberedIcon(int number)
{
    IconImage icon;
    icon.width = icon.height = kIconSize;
    for (int y = 0; y < kIconSize; ++y) {
        const int colour = y < kIconSize / 2 ? number % 16 : (number / 16) % 16;
        for (int x = 0; x < kIconSize; ++x) {
            icon.pixels.push_back(0xFF000000u | kit::kPaletteForTests[colour]);
            // A transparent corner, so that the mask is seen to travel.
            icon.mask.push_back(x == 0 && y == 0 ? 1 : 0);
        }
    }
    return icon;
}

// The number of a picture that NumberedIcon made, from one pixel of each
// half given as 0xRRGGBB; -1 when they are not colours of the table.
inline int IconNumber(std::uint32_t top, std::uint32_t bottom)
{
    int low = -1, high = -1;
    for (int i = 0; i < 16; ++i) {
        if (kit::kPaletteForTests[i] == (top & 0xFFFFFFu))
            low = i;
        if (kit::kPaletteForTests[i] == (bottom & 0xFFFFFFu))
            high = i;
    }
    return low < 0 || high < 0 ? -1 : high * 16 + low;
}

inline int IconNumber(const IconImage& icon)
{
    return icon.width == kIconSize ? IconNumber(icon.pixel(5, 5), icon.pixel(5, 25)) : -1;
}

// IconNNNN.ico for the numbers first to first + count - 1.
inline QStringList IconNames(int count, int first = 0)
{
    return kit::NumberedNames(QStringLiteral("Icon%1.ico"), count, 4, first);
}

// Writes names[k] in folder as icon number first + k.
inline void WriteNumberedIcons(const QString& folder, const QStringList& names, int first = 0)
{
    for (int k = 0; k < names.size(); ++k)
        WriteIconFile(
            NumberedIcon(first + k), files::ToNativePath(folder + QLatin1Char('/') + names[k]));
}

} // namespace glyphor::test
