#include "controls/ProgramIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace glyphor {

QImage ProgramIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 32 x 32 grid and scaled; at 16 pixels the shapes stay two
    // blocks of clear colour with dark outlines.
    p.scale(size / 32.0, size / 32.0);

    // The executable: a small program window with a blue title strip.
    const QRectF window(1.5, 10.5, 20, 19);
    p.setPen(QPen(QColor(0x20, 0x20, 0x30), 1.2));
    p.setBrush(QColor(0xEE, 0xEE, 0xF2));
    p.drawRect(window);
    p.fillRect(QRectF(2.1, 11.1, 18.8, 4), QColor(0x1E, 0x40, 0xA8));
    p.setPen(QPen(QColor(0x9A, 0x9A, 0xA8), 1.2));
    for (int row = 0; row < 3; ++row)
        p.drawLine(QPointF(4.5, 19 + row * 3.5), QPointF(12.5, 19 + row * 3.5));

    // The icon lifted out of it: an orange tile with a white star.
    const QRectF tile(14.5, 1.5, 16, 16);
    QLinearGradient fill(tile.topLeft(), tile.bottomRight());
    fill.setColorAt(0, QColor(0xFF, 0xD5, 0x4A));
    fill.setColorAt(1, QColor(0xF0, 0x6A, 0x10));
    p.setPen(QPen(QColor(0x5A, 0x28, 0x00), 1.2));
    p.setBrush(fill);
    p.drawRoundedRect(tile, 3, 3);
    QPainterPath star;
    const QPointF centre = tile.center();
    for (int i = 0; i < 8; ++i) {
        const double radius = (i % 2 == 0) ? 6.0 : 2.4;
        const double angle = -M_PI / 2 + i * M_PI / 4;
        const QPointF point(
            centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
        if (i == 0)
            star.moveTo(point);
        else
            star.lineTo(point);
    }
    star.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(star);

    // The arrow that carries it out.
    p.setPen(QPen(QColor(0x10, 0x90, 0x30), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(17, 25), QPointF(26, 21));
    p.drawLine(QPointF(26, 21), QPointF(22, 19.2));
    p.drawLine(QPointF(26, 21), QPointF(24.4, 25));
    p.end();
    return image;
}

QPixmap ProgramIconPixmap(int size)
{
    return QPixmap::fromImage(ProgramIconImage(size));
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (const int size : { 16, 24, 32, 48 })
        icon.addPixmap(ProgramIconPixmap(size));
    return icon;
}

} // namespace glyphor
