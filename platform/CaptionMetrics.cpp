#include "platform/CaptionMetrics.h"

#include <QFontDatabase>
#include <QPalette>

namespace glyphor::platform {

namespace {

CaptionFontSource& Source()
{
    static CaptionFontSource current;
    return current;
}

} // namespace

QFont SystemCaptionFont()
{
    if (Source())
        return Source()();
    return QFontDatabase::systemFont(QFontDatabase::TitleFont);
}

void SetCaptionFontSource(CaptionFontSource newSource)
{
    Source() = std::move(newSource);
}

QColor SystemColorValue(SystemColor color, const QPalette& palette)
{
    // The palette has no title-bar roles. The selection colour is the
    // scheme's accent, which is what desktops give an active title bar; the
    // dark shade is a muted grey in every stock palette, light enough for
    // the window colour to stay readable on it.
    switch (color) {
    case SystemColor::ActiveCaption:
        return palette.color(QPalette::Active, QPalette::Highlight);
    case SystemColor::InactiveCaption:
        return palette.color(QPalette::Inactive, QPalette::Dark);
    case SystemColor::CaptionText:
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    case SystemColor::InactiveCaptionText:
        return palette.color(QPalette::Inactive, QPalette::Window);
    }
    return Qt::black;
}

QRgb ThemedColor::rgb(const QPalette& palette) const
{
    const QRgb value = m_system ? SystemColorValue(m_color, palette).rgb() : m_rgb;
    return value | 0xFF000000u;
}

} // namespace glyphor::platform
