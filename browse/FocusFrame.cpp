#include "browse/FocusFrame.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace glyphor {

void DrawFocusFrame(
    QPainter& painter, const QWidget& widget, const QRect& rect, const QColor& background)
{
    QStyleOptionFocusRect frame;
    frame.initFrom(&widget);
    frame.rect = rect;
    frame.backgroundColor = background;
    frame.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
    widget.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, &widget);
}

void DrawFocusFrameOnEmptyList(QAbstractItemView& view)
{
    if (!view.hasFocus() || view.currentIndex().isValid())
        return;
    QPainter painter(view.viewport());
    DrawFocusFrame(painter, view, view.viewport()->rect(), view.palette().color(QPalette::Base));
}

} // namespace glyphor
