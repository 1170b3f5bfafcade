#include "app/BusyAnimation.h"

#include <QAccessibleWidget>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace glyphor {

namespace {

void DrawPage(QPainter& p)
{
    // A sheet with a folded corner and lines of text.
    QPainterPath sheet;
    sheet.moveTo(6.5, 8.5);
    sheet.lineTo(30.5, 8.5);
    sheet.lineTo(38.5, 16.5);
    sheet.lineTo(38.5, 46.5);
    sheet.lineTo(6.5, 46.5);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(0x50, 0x50, 0x58), 1));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setBrush(QColor(0xD8, 0xD8, 0xE0));
    p.drawPolygon(QPolygonF({ QPointF(30.5, 8.5), QPointF(30.5, 16.5), QPointF(38.5, 16.5) }));
    p.setPen(QPen(QColor(0x90, 0x98, 0xB0), 2));
    for (int row = 0; row < 7; ++row) {
        const double y = 21 + row * 3.6;
        const double right = (row % 3 == 2) ? 24 : 34;
        p.drawLine(QPointF(10, y), QPointF(right, y));
    }
}

void DrawGlass(QPainter& p, QPointF centre)
{
    const double radius = 7.5;
    // The handle points down to the right, away from the lens.
    p.setPen(QPen(QColor(0x5A, 0x36, 0x10), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(5.5, 5.5), centre + QPointF(11, 11));
    p.setPen(QPen(QColor(0x30, 0x30, 0x38), 2.2));
    p.setBrush(QColor(0xA8, 0xD8, 0xFF, 0x90));
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(QColor(0xFF, 0xFF, 0xFF, 0xD0), 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(centre.x() - 4.5, centre.y() - 4.5, 9, 9), 100 * 16, 70 * 16);
}

// Screen readers are told of an animation, not of an empty pane.
QAccessibleInterface* AccessibleAnimation(const QString&, QObject* object)
{
    auto* animation = qobject_cast<BusyAnimation*>(object);
    return animation ? new QAccessibleWidget(animation, QAccessible::Animation) : nullptr;
}

} // namespace

BusyAnimation::BusyAnimation(QWidget* parent)
    : QWidget(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(&AccessibleAnimation);
        return true;
    }();
    (void)installed;
    resize(kWidth, kHeight);
    m_timer.setInterval(70);
    connect(&m_timer, &QTimer::timeout, this, &BusyAnimation::advance);
}

void BusyAnimation::setActive(bool on)
{
    if (on == isActive())
        return;
    m_frame = 0;
    if (on)
        m_timer.start();
    else
        m_timer.stop();
    update();
}

void BusyAnimation::setStopFrame(int frame)
{
    m_stopFrame = std::clamp(frame, 0, kFrameCount - 1);
    if (m_frame > m_stopFrame)
        m_frame = 0;
}

void BusyAnimation::advance()
{
    m_frame = m_frame >= m_stopFrame ? 0 : m_frame + 1;
    update();
}

QPixmap BusyAnimation::FramePixmap(int frame)
{
    QPixmap pixmap(kWidth, kHeight);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    DrawPage(p);
    // The glass sweeps once round an ellipse over the text per loop.
    const double angle = 2 * M_PI * (frame % kFrameCount) / kFrameCount;
    DrawGlass(p, QPointF(21 + 9 * std::cos(angle), 26 + 8 * std::sin(angle)));
    return pixmap;
}

void BusyAnimation::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, FramePixmap(m_frame));
}

} // namespace glyphor
