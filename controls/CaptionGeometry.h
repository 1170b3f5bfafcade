#pragma once
// The geometry and colour arithmetic of a title bar drawn by the program:
// where the caption strip lies in the window, where its buttons go, how the
// gradient is cut into bands and where the three texts stand. Plain
// functions of numbers, so that they are tested without a window or painter.
// Rectangles are in window coordinates, the origin at the window's top-left
// corner.

#include <QMargins>
#include <QRect>
#include <QRgb>
#include <QSize>

#include <array>
#include <vector>

namespace glyphor {

// The frames a window can have.
enum class BorderStyle { None, Single, Sizeable, Dialog, ToolWindow, SizeToolWin };

// What a window's frame offers, besides the frame itself.
struct CaptionFrame {
    BorderStyle style = BorderStyle::Single;
    bool systemMenu = true; // the window menu, and with it the close button
    bool minimize = false;
    bool maximize = false;
    bool help = false; // a help button, shown by dialogs only
    bool minimized = false;
    // The small icon at the left and the close button at the right, rather
    // than a window-menu box at the left and centred texts.
    bool newStyle = true;
};

bool IsToolWindow(BorderStyle style);
// The thickness of each side of the frame.
int FrameThickness(const CaptionFrame& frame);
// The title bar's height including its 1-pixel bottom edge.
int CaptionHeight(const CaptionFrame& frame);
// The room that the frame and title bar take around the window's contents:
// the frame on each side, and the title bar above. None without a border.
QMargins NonClientMargins(const CaptionFrame& frame);

// The part of the title bar that the gradient and texts fill: inside the
// frame, one pixel less high than the title bar, and short of the room that
// the buttons at the right take. Empty for a window without a border.
QRect CaptionRect(QSize window, const CaptionFrame& frame);

// The window's small icon in the caption strip, where the frame shows one
// (a window menu, a single or sizeable frame, the new style); empty
// otherwise. The texts begin right after it.
QRect CaptionIconRect(QSize window, const CaptionFrame& frame);
// Where a click opens the window menu: the small icon and its margins, the
// strip's height; for the old style, the window-menu box at the left of the
// strip. Empty for a frame without a window menu there.
QRect WindowMenuButtonRect(QSize window, const CaptionFrame& frame);

// The buttons at the right of the title bar; an empty rectangle for each one
// that the frame does not have.
struct CaptionButtons {
    QRect close;
    QRect maximize;
    QRect minimize;
    QRect help;
};
CaptionButtons CaptionButtonRects(QSize window, const CaptionFrame& frame);

// number * numerator / denominator on 64 bits, rounded to the nearest integer
// with halves away from zero; -1 when the denominator is 0 or the result does
// not fit in 32 bits.
int MulDiv(int number, int numerator, int denominator);

// One band of a horizontal gradient: the columns left to right (exclusive).
struct GradientBand {
    int left;
    int right;
    QRgb color;
};
// The bands of a gradient from colour `from` at left to colour `to` at right:
// count bands (at least one) that cover left to right without gaps or
// overlaps, widths differing by at most one pixel, the first exactly `from`
// and the last exactly `to`.
std::vector<GradientBand> GradientBands(int left, int right, QRgb from, QRgb to, int count);

// The three texts of a title bar, in the order they stand.
enum CaptionPiece { kCompanyPiece, kAppNamePiece, kCaptionPiece };
inline constexpr int kCaptionPieces = 3;
// The pixels between the texts, and before the first.
inline constexpr int kCaptionTextStep = 3;

struct CaptionPieceSize {
    int textWidth = 0; // the text measured on one line, in its own font
    bool visible = true;
    bool empty = false;
};

struct CaptionTextPlace {
    bool drawn = false;
    int left = 0; // where the text starts; it is cut at the layout's right
};

struct CaptionTextLayout {
    std::array<CaptionTextPlace, kCaptionPieces> pieces;
    int right = 0; // where every text is cut, with an ellipsis
};

// Places the texts between left and right. Each visible piece needs its text
// width plus the 3-pixel step; when all three do not fit, the company text is
// dropped, then the application-name text; the caption text always stays and
// is cut with an ellipsis when even it does not fit. A piece with no text is
// not drawn, but a visible one still counts its step in the width test.
// Titles of the old style are centred in the room they have.
CaptionTextLayout LayOutCaptionTexts(
    int left, int right, const std::array<CaptionPieceSize, kCaptionPieces>& pieces, bool newStyle);

} // namespace glyphor
