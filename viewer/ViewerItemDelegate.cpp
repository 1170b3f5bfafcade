#include "viewer/ViewerItemDelegate.h"

#include "platform/PixelArt.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace glyphor {

void ViewerItemDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QPixmap picture = index.data(Qt::DecorationRole).value<QPixmap>();
    // The style lays the item out and draws all of it but the picture: a
    // blank one of the same size keeps the name where it belongs.
    const QRect room = style->subElementRect(QStyle::SE_ItemViewItemDecoration, &item, widget);
    item.icon = blank(item.decorationSize);
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    painter->save();
    // Within the item, so that repainting one item never leaves traces of
    // its backdrop on its neighbours.
    const QRect backdrop = room.adjusted(-kIconBackdropMargin, -kIconBackdropMargin,
                                   kIconBackdropMargin, kIconBackdropMargin)
                               .intersected(option.rect);
    // A selected item's backdrop is ringed in the selection colour, which
    // the backdrop covers.
    if (option.state & QStyle::State_Selected)
        painter->fillRect(
            backdrop.adjusted(-1, -1, 1, 1).intersected(option.rect), option.palette.highlight());
    painter->fillRect(backdrop, QColor::fromRgb(kIconBackdrop));
    if (!picture.isNull())
        platform::DrawPixelArt(*painter, room, picture);
    painter->restore();
}

const QIcon& ViewerItemDelegate::blank(const QSize& size) const
{
    if (m_blank.isNull() || m_blankSize != size) {
        QPixmap picture(size);
        picture.fill(Qt::transparent);
        m_blank = QIcon(picture);
        m_blankSize = size;
    }
    return m_blank;
}

} // namespace glyphor
