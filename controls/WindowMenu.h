#pragma once
// The window menu of a window whose title bar the program draws, as the
// desktop's own window menu is: which of its entries apply to the window as
// it is, and the move and size change by the keyboard that its Move and Size
// entries start. Plain values, tested without a window.

#include "controls/CaptionGeometry.h"

#include <QPoint>
#include <QRect>
#include <QSize>

namespace glyphor {

// The entries, in the order the menu lists them.
enum class WindowMenuEntry { Restore, Move, Size, Minimize, Maximize, Close };
inline constexpr int kWindowMenuEntries = 6;

// Whether an entry applies to a window with that frame, minimized or
// maximized as it is: Restore only to a minimized or maximized window, Size
// only to one whose size can change, Minimize and Maximize only where the
// frame has the button and the window is not that already.
bool WindowMenuEntryEnabled(WindowMenuEntry entry, const CaptionFrame& frame, bool maximized);

// The pixels one arrow key moves a window, or one of its edges.
inline constexpr int kKeyboardMoveStep = 8;

// A move, or a change of size, by the keyboard: each arrow key moves the
// window (Size: its right or bottom edge, within the smallest and largest
// size it may have) by a step; Enter ends it where the window is, Escape
// puts the window back where it was.
class KeyboardMove {
public:
    enum class Kind { Move, Size };
    enum class Outcome {
        Changed, // the window is to take geometry()
        Ended, // where it is
        Cancelled, // geometry() is the start again
        Ignored, // a key that does nothing here
    };

    KeyboardMove(Kind kind, QRect start, QSize minimum = {}, QSize maximum = {});

    Kind kind() const { return m_kind; }
    QRect start() const { return m_start; }
    QRect geometry() const { return m_geometry; }
    // One key pressed, as Qt::Key.
    Outcome key(int key);

private:
    Kind m_kind;
    QRect m_start;
    QRect m_geometry;
    QSize m_minimum;
    QSize m_maximum;
};

} // namespace glyphor
