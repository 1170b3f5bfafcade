#pragma once
// Pictures that are pixel art (icons of 32 x 32 pixels, the browsers' small
// bitmaps) drawn so that they stay sharp on a screen of any scale: each
// pixel of the picture becomes a square of whole device pixels, never a
// blend of its neighbours. On a screen of scale 2 a 32 x 32 icon is drawn in
// squares of 2 x 2; at scale 1.5 it keeps squares of one device pixel and is
// centred in its room, rather than smeared over one and a half.

#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QTransform>

class QPainter;

namespace glyphor::platform {

// The whole factor by which a picture is enlarged at a device scale: the
// largest whole number not above the scale, and never below 1.
int PixelArtFactor(qreal deviceScale);

// Where a picture of the given size, enlarged by factor, goes when centred on
// room, in device pixels: room is given in the painter's coordinates and
// toDevice maps them to device pixels (a scale and a shift only). The
// result's corner lies on a whole device pixel.
QRect PixelArtDeviceRect(const QRectF& room, QSize picture, int factor, const QTransform& toDevice);

// Draws picture centred on room as described above. Where the painter
// turns or shears its drawing, the picture is drawn plainly into the centre
// of room at its own size.
void DrawPixelArt(QPainter& painter, const QRectF& room, const QImage& picture);
void DrawPixelArt(QPainter& painter, const QRectF& room, const QPixmap& picture);

} // namespace glyphor::platform
