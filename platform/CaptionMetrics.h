#pragma once
// What a title bar takes from the desktop: its sizes, its font and its
// colours. The main window draws its own title bar (the desktop draws none
// on a frameless window), so these are the figures it is drawn with. The
// sizes are ours, chosen to sit well beside the widgets of the Qt style; the
// font and the colours follow the desktop's settings and colour scheme.

#include <QColor>
#include <QFont>
#include <QMetaType>
#include <QRgb>

#include <functional>

class QPalette;

namespace glyphor::platform {

// Sizes in pixels.
inline constexpr int kCaptionHeight = 24; // a title bar, including its 1-pixel bottom edge
inline constexpr int kSmallCaptionHeight = 18; // the title bar of a tool window
inline constexpr int kCaptionButtonWidth = 22; // the room of one title-bar button
inline constexpr int kSmallCaptionButtonWidth = 16; // the same in a tool window's title bar
inline constexpr int kDialogFrame = 2; // each side of a fixed-size window's frame
inline constexpr int kSizingFrame = 4; // each side of a resizable window's frame
inline constexpr int kSmallIconSize = 16;

// Title bars here have the small window icon at the left and the close
// button at the right, never the older centred layout.
inline constexpr bool kNewStyleCaption = true;

// The font of the desktop's title bars, read afresh at each call. Every
// caller goes through this one function, so that a test can put its own font
// in place.
QFont SystemCaptionFont();
using CaptionFontSource = std::function<QFont()>;
// Replaces the source of SystemCaptionFont(); an empty function restores the
// desktop's title font.
void SetCaptionFontSource(CaptionFontSource source);

// The desktop's colours that a title bar uses.
enum class SystemColor {
    ActiveCaption, // the title bar of the active window
    InactiveCaption, // the title bar of the other windows
    CaptionText, // text on an active title bar
    InactiveCaptionText, // text on an inactive title bar
};

// The stand-in of each system colour in a palette: the selection colour for
// an active title bar, with its text colour; the palette's dark shade for an
// inactive one, with the window colour as its text.
QColor SystemColorValue(SystemColor color, const QPalette& palette);

// A colour as a property holds it: either a fixed RGB value or one of the
// desktop's colours, looked up each time it is painted, so that a title bar
// follows a change of the colour scheme.
class ThemedColor {
public:
    // Black, the default of a colour property.
    constexpr ThemedColor() = default;
    constexpr ThemedColor(QRgb rgb)
        : m_rgb(rgb & 0xFFFFFF)
    {
    }
    constexpr ThemedColor(SystemColor color)
        : m_system(true)
        , m_color(color)
    {
    }

    bool isSystem() const { return m_system; }
    // The colour now, opaque: a system colour taken from the palette.
    QRgb rgb(const QPalette& palette) const;

    friend bool operator==(const ThemedColor&, const ThemedColor&) = default;

private:
    QRgb m_rgb = 0;
    bool m_system = false;
    SystemColor m_color = SystemColor::ActiveCaption;
};

} // namespace glyphor::platform

Q_DECLARE_METATYPE(glyphor::platform::ThemedColor)
