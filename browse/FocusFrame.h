#pragma once
// The focus frame of the lists that draw their own items: the style's own
// frame (QStyle::PE_FrameFocusRect) around the current row, or around the
// list itself while it has no row to put it on, whenever the list has the
// keyboard focus.

#include <QColor>
#include <QRect>

class QAbstractItemView;
class QPainter;
class QWidget;

namespace glyphor {

// Draws the style's focus frame on rect, over background. Styles that show
// focus only after the keyboard has been used (most of them) are told that
// it has: a list that draws its own rows has no other sign of the focus,
// and a keyboard user must see where Tab went.
void DrawFocusFrame(
    QPainter& painter, const QWidget& widget, const QRect& rect, const QColor& background);

// After a list view has painted: the frame around the whole list when it
// has the focus and no current row carries the frame (an empty list, or one
// whose rows have no current one yet).
void DrawFocusFrameOnEmptyList(QAbstractItemView& view);

} // namespace glyphor
