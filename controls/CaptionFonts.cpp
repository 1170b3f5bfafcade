#include "controls/CaptionFonts.h"

#include <QFontInfo>

#include <algorithm>

namespace glyphor {

QFont CaptionFontFrom(const QFont& desktopTitleFont)
{
    QFont font(desktopTitleFont.family());
    if (desktopTitleFont.pixelSize() > 0)
        font.setPixelSize(desktopTitleFont.pixelSize());
    else
        font.setPointSizeF(desktopTitleFont.pointSizeF());
    font.setItalic(desktopTitleFont.italic());
    font.setBold(desktopTitleFont.weight() > QFont::Medium);
    return font;
}

int CharacterHeight(const QFont& font)
{
    return QFontInfo(font).pixelSize();
}

QFont FitToCaptionHeight(QFont font, const QFont& captionFont)
{
    // Taking the difference of the two character heights off the font's
    // character height leaves the caption font's.
    const int target = CharacterHeight(captionFont);
    const int pixels = std::max(1, target);
    font.setPixelSize(pixels);
    if (const int excess = CharacterHeight(font) - target; excess > 0)
        font.setPixelSize(std::max(1, pixels - excess));
    return font;
}

} // namespace glyphor
