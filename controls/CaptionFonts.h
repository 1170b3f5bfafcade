#pragma once
// The fonts of a title bar drawn by the program: the caption font taken
// from the desktop, and the fitting of another font to its height.

#include <QFont>

namespace glyphor {

// The caption font made from the desktop's title font: its face, its size
// (in pixels when it was given in pixels, otherwise in points), italic, and
// bold when its weight is above medium. Nothing else is taken, so that
// underlining, stretching or spacing of the desktop's font do not reach the
// title bar.
QFont CaptionFontFrom(const QFont& desktopTitleFont);

// The height of a font's characters in pixels: its cell height less the
// internal leading, which is the em size that the font was matched at.
int CharacterHeight(const QFont& font);

// The font resized so that its characters are no taller than those of the
// caption font; its face and style stay. The difference is taken off once,
// and, where the matched font is still taller (a font with a few fixed
// sizes), the excess once more. Never below one pixel.
QFont FitToCaptionHeight(QFont font, const QFont& captionFont);

} // namespace glyphor
