#pragma once
// How the viewer draws an item: the style's own item (selection, focus and
// the name under the picture), with the picture on a light backdrop of its
// own. Harvested icons are 16-colour pixel art made for a light window:
// black outlines and navy shapes vanish on a dark scheme's background and
// the white pixels at their edges show, so the picture keeps a light ground
// whatever the scheme, as image viewers give one. The picture is drawn at
// whole device pixels, never smoothed (platform/PixelArt.h).

#include <QColor>
#include <QIcon>
#include <QSize>
#include <QStyledItemDelegate>

namespace glyphor {

// The backdrop's colour, and how far it reaches beyond the picture.
inline constexpr QRgb kIconBackdrop = 0xFFF4F4F4;
inline constexpr int kIconBackdropMargin = 2;

class ViewerItemDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override;

private:
    // A transparent picture of the items' size, made once: a new one at
    // every paint would be a new entry of the toolkit's pixmap cache each
    // time, pushing out the ones worth keeping.
    const QIcon& blank(const QSize& size) const;

    mutable QIcon m_blank;
    mutable QSize m_blankSize;
};

} // namespace glyphor
