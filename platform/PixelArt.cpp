#include "platform/PixelArt.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace glyphor::platform {

int PixelArtFactor(qreal deviceScale)
{
    // A scale a hair below a whole number (1.9999 from a division) counts as
    // that number.
    return std::max(1, int(std::floor(deviceScale + 1e-6)));
}

QRect PixelArtDeviceRect(const QRectF& room, QSize picture, int factor, const QTransform& toDevice)
{
    const QRectF device = toDevice.mapRect(room);
    const QSize size = picture * factor;
    const int left = int(std::floor(device.left() + (device.width() - size.width()) / 2 + 0.5));
    const int top = int(std::floor(device.top() + (device.height() - size.height()) / 2 + 0.5));
    return QRect(QPoint(left, top), size);
}

void DrawPixelArt(QPainter& painter, const QRectF& room, const QImage& picture)
{
    if (picture.isNull())
        return;
    const QTransform toDevice = painter.deviceTransform();
    const QSizeF own = QSizeF(picture.size()) / picture.devicePixelRatio();
    const qreal scale = toDevice.m11();
    if (toDevice.type() > QTransform::TxScale || scale <= 0
        || !qFuzzyCompare(scale, toDevice.m22())) {
        painter.drawImage(
            QRectF(room.center() - QPointF(own.width(), own.height()) / 2, own), picture);
        return;
    }
    // A picture of its own scale above 1 (made for a sharper screen) is
    // enlarged by what remains of the device's.
    const int factor = PixelArtFactor(scale / picture.devicePixelRatio());
    const QRect target = PixelArtDeviceRect(room, own.toSize(), factor, toDevice);
    // Enlarged here by repeating pixels, then put down one to one on whole
    // device pixels: no scaling is left for the paint engine to smooth.
    QImage enlarged = picture.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    enlarged.setDevicePixelRatio(scale);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(toDevice.inverted().map(QPointF(target.topLeft())), enlarged);
    painter.restore();
}

void DrawPixelArt(QPainter& painter, const QRectF& room, const QPixmap& picture)
{
    if (!picture.isNull())
        DrawPixelArt(painter, room, picture.toImage());
}

} // namespace glyphor::platform
