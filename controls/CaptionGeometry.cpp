#include "controls/CaptionGeometry.h"

#include "platform/CaptionMetrics.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace glyphor {

namespace {

// A rectangle given by its edges, the right and bottom ones exclusive, as
// the title-bar arithmetic is written.
QRect FromEdges(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

int ButtonWidth(const CaptionFrame& frame)
{
    return IsToolWindow(frame.style) ? platform::kSmallCaptionButtonWidth
                                     : platform::kCaptionButtonWidth;
}

} // namespace

bool IsToolWindow(BorderStyle style)
{
    return style == BorderStyle::ToolWindow || style == BorderStyle::SizeToolWin;
}

int FrameThickness(const CaptionFrame& frame)
{
    switch (frame.style) {
    case BorderStyle::None:
        return 0;
    case BorderStyle::Sizeable:
    case BorderStyle::SizeToolWin:
        return platform::kSizingFrame;
    default:
        return platform::kDialogFrame;
    }
}

int CaptionHeight(const CaptionFrame& frame)
{
    if (frame.style == BorderStyle::None)
        return 0;
    return IsToolWindow(frame.style) ? platform::kSmallCaptionHeight : platform::kCaptionHeight;
}

QMargins NonClientMargins(const CaptionFrame& frame)
{
    const int side = FrameThickness(frame);
    return QMargins(side, side + CaptionHeight(frame), side, side);
}

QRect CaptionRect(QSize window, const CaptionFrame& frame)
{
    if (frame.style == BorderStyle::None)
        return {};
    // A minimized window shows only its title, inside the thin frame.
    const int inset = frame.minimized ? platform::kDialogFrame : FrameThickness(frame);
    int left = inset;
    const int top = inset;
    int right = window.width() - inset;
    const int bottom = top + CaptionHeight(frame) - 1;

    if (IsToolWindow(frame.style)) {
        right -= platform::kSmallCaptionButtonWidth + 2;
    } else {
        const int w = platform::kCaptionButtonWidth;
        if (frame.systemMenu && frame.newStyle)
            right -= w + 2;
        if (frame.style == BorderStyle::Dialog && frame.help)
            right -= w + 2;
        // Minimize and maximize come as a pair: the room of both is kept
        // when the window has either.
        if (frame.style != BorderStyle::Dialog && (frame.minimize || frame.maximize))
            right -= 2 * w;
        if (frame.systemMenu && !frame.newStyle
            && (frame.style == BorderStyle::Single || frame.style == BorderStyle::Sizeable))
            left += w;
    }
    if (left >= right)
        right = left + 2;
    return FromEdges(left, top, right, bottom);
}

namespace {

// A window menu at the left of the strip: the small icon in the new style,
// the menu box in the old.
bool HasMenuAtTheLeft(const CaptionFrame& frame)
{
    return frame.systemMenu
        && (frame.style == BorderStyle::Single || frame.style == BorderStyle::Sizeable);
}

} // namespace

QRect CaptionIconRect(QSize window, const CaptionFrame& frame)
{
    if (!frame.newStyle || !HasMenuAtTheLeft(frame))
        return {};
    const QRect caption = CaptionRect(window, frame);
    const int size = platform::kSmallIconSize;
    // One pixel below the top where the strip is just the icon's height and
    // its margins, and centred in a taller strip; two pixels in from its left.
    const int top = caption.top() + std::max(1, (caption.height() - size) / 2);
    return QRect(caption.left() + 2, top, size, size);
}

QRect WindowMenuButtonRect(QSize window, const CaptionFrame& frame)
{
    if (!HasMenuAtTheLeft(frame))
        return {};
    const QRect caption = CaptionRect(window, frame);
    if (!frame.newStyle)
        return QRect(caption.left() - platform::kCaptionButtonWidth, caption.top(),
            platform::kCaptionButtonWidth, caption.height());
    const QRect icon = CaptionIconRect(window, frame);
    return QRect(
        caption.left(), caption.top(), icon.right() + 2 - caption.left(), caption.height());
}

CaptionButtons CaptionButtonRects(QSize window, const CaptionFrame& frame)
{
    CaptionButtons buttons;
    if (frame.style == BorderStyle::None)
        return buttons;
    const int inset = frame.minimized ? platform::kDialogFrame : FrameThickness(frame);
    const int w = ButtonWidth(frame);
    // Each button is 2 pixels narrower than its room and stands 2 pixels
    // clear of the strip's top and bottom; the close button keeps 2 pixels
    // from the frame and from its neighbour.
    const int top = inset + 2;
    const int bottom = inset + CaptionHeight(frame) - 1 - 2;
    int right = window.width() - inset - 2;
    const auto next = [&](int gap) {
        const QRect button = FromEdges(right - (w - 2), top, right, bottom);
        right = button.left() - gap;
        return button;
    };
    if (IsToolWindow(frame.style)) {
        if (frame.systemMenu)
            buttons.close = next(2);
        return buttons;
    }
    if (frame.systemMenu)
        buttons.close = next(2);
    if (frame.style == BorderStyle::Dialog) {
        if (frame.help)
            buttons.help = next(0);
        return buttons;
    }
    // A window without a maximize button has its minimize button next to
    // the close button.
    if (frame.maximize)
        buttons.maximize = next(0);
    if (frame.minimize)
        buttons.minimize = next(0);
    return buttons;
}

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const std::int64_t product = std::int64_t(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t magnitude = product < 0 ? -product : product;
    const std::int64_t divisor = std::abs(std::int64_t(denominator));
    const std::int64_t quotient = (magnitude + divisor / 2) / divisor;
    const std::int64_t result = negative ? -quotient : quotient;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
        return -1;
    return int(result);
}

std::vector<GradientBand> GradientBands(int left, int right, QRgb from, QRgb to, int count)
{
    count = std::max(count, 1);
    std::vector<GradientBand> bands;
    bands.reserve(count);
    const int width = right - left;
    const auto channel = [&](int i, int (*part)(QRgb)) {
        return (part(from) + MulDiv(i, part(to) - part(from), count - 1)) & 0xFF;
    };
    for (int i = 0; i < count; ++i) {
        const int x0 = left + MulDiv(i, width, count);
        const int x1 = left + MulDiv(i + 1, width, count);
        const QRgb color
            = count == 1 ? from : qRgb(channel(i, qRed), channel(i, qGreen), channel(i, qBlue));
        bands.push_back({ x0, x1, color | 0xFF000000u });
    }
    return bands;
}

CaptionTextLayout LayOutCaptionTexts(
    int left, int right, const std::array<CaptionPieceSize, kCaptionPieces>& pieces, bool newStyle)
{
    const auto width = [&](int piece) {
        return pieces[piece].visible ? pieces[piece].textWidth + kCaptionTextStep : 0;
    };
    const int avail = right - left;
    bool company = false;
    bool appName = false;
    int used = width(kCaptionPiece);
    if (const int all = width(kCompanyPiece) + width(kAppNamePiece) + width(kCaptionPiece);
        all < avail) {
        company = appName = true;
        used = all;
    } else if (const int two = width(kAppNamePiece) + width(kCaptionPiece); two < avail) {
        appName = true;
        used = two;
    }
    if (!newStyle && used < avail)
        left += (avail - used) / 2;

    CaptionTextLayout layout;
    layout.right = right;
    const bool shown[kCaptionPieces] = { company, appName, true };
    for (int piece = 0; piece < kCaptionPieces; ++piece) {
        const CaptionPieceSize& size = pieces[piece];
        // The caption text is placed even when empty; the others only with text.
        if (!shown[piece] || !size.visible || (piece != kCaptionPiece && size.empty))
            continue;
        left += kCaptionTextStep;
        layout.pieces[piece] = { true, left };
        left += size.textWidth;
    }
    return layout;
}

} // namespace glyphor
