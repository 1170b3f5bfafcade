#pragma once
// Drawing of a title bar that the program draws itself: the caption strip
// (gradient, small icon, the three texts) and the rest of the frame around
// the window (its edges, the room of the buttons and the buttons). Both take
// everything they need as values, so that a test draws them on an image.

#include "controls/CaptionGeometry.h"

#include <QFont>
#include <QIcon>
#include <QString>

#include <array>

class QPainter;
class QPalette;
class QStyle;
class QWidget;

namespace glyphor {

struct CaptionPieceLook {
    QString text;
    QFont font;
    QRgb color = 0; // the text colour for the window's present state
    bool visible = true;
    // The colour is the desktop's, which ReadableScene() may replace where
    // the scheme's colours do not stand out from the title bar.
    bool themed = false;
};

// A title bar as it is to be drawn now.
struct CaptionScene {
    QSize window;
    CaptionFrame frame;
    QRgb baseColor = 0; // the active or inactive title-bar colour
    bool gradient = true; // false: a plain baseColor behind the texts
    QRgb startColor = 0; // the gradient's colour at the left
    int numColors = 64;
    QIcon icon; // the window's icon; none is drawn when it is null
    std::array<CaptionPieceLook, kCaptionPieces> pieces;
};

// Draws the caption strip and returns the rectangle it covered, empty when
// the window has no border and so no title bar.
QRect PaintCaption(QPainter& painter, const CaptionScene& scene);

// The scene with colours that keep every text of a themed colour readable
// (4.5 : 1 against each band of the gradient under it). Desktop schemes
// pair their title-bar colours with text colours for a plain bar, and the
// gradient from the caption's own colour brings other colours under the
// texts: a themed text whose colour does not stand out everywhere under it
// is written in white or black instead, and where neither would (a text
// over a gradient from dark to light), the title-bar colour at the
// gradient's end is darkened, step by step, until one does. The button room
// takes the darkened colour too, so that the bar stays one piece.
CaptionScene ReadableScene(const CaptionScene& scene);

// The title-bar buttons.
enum class CaptionButton { None, Close, Maximize, Minimize, Help };

// Which button is at a point of the window, if any.
CaptionButton CaptionButtonAt(QSize window, const CaptionFrame& frame, QPoint point);

// Draws everything of the frame but the caption strip: the window's edges,
// the title bar's bottom edge and the room of its buttons in the title-bar
// colour, and the buttons as the style draws push buttons, the pressed one
// sunk. The widget only lends its style's context and may be null.
void PaintFrame(QPainter& painter, const CaptionScene& scene, const QPalette& palette,
    const QStyle& style, CaptionButton pressed, const QWidget* widget = nullptr);

} // namespace glyphor
