#include "app/FramedGroupBox.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace glyphor {

FramedGroupBox::FramedGroupBox(const QString& title, QWidget* parent)
    : QGroupBox(title, parent)
{
}

FramedGroupBox::Geometry FramedGroupBox::Layout(const QSize& box, const QSize& captionText)
{
    // The frame's top line runs through the middle of the caption; the
    // caption starts 8 pixels in, with 2 pixels of space on either side.
    const int top = captionText.height() / 2;
    return {
        QRect(0, top, box.width() - 2, box.height() - top - 2),
        QRect(6, 0, captionText.width() + 4, captionText.height()),
    };
}

void FramedGroupBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QFontMetrics metrics(font());
    const QString text = title();
    const Geometry g = Layout(size(), QSize(metrics.horizontalAdvance(text), metrics.height()));
    // An etched line: a dark line with a light one below and to the right.
    const QPalette& pal = palette();
    p.setPen(pal.color(QPalette::Light));
    p.drawRect(g.frame.translated(1, 1));
    p.setPen(pal.color(QPalette::Mid));
    p.drawRect(g.frame);
    p.fillRect(g.caption, pal.color(QPalette::Window));
    p.setPen(pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    p.drawText(g.caption, Qt::AlignCenter | Qt::TextShowMnemonic, text);
}

} // namespace glyphor
