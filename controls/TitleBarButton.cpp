#include "controls/TitleBarButton.h"

namespace glyphor {

TitleBarButton::TitleBarButton(const QString& name, QWidget* window)
    : QAbstractButton(window)
{
    setObjectName(QStringLiteral("TitleBarButton"));
    setAccessibleName(name);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void TitleBarButton::paintEvent(QPaintEvent*)
{
    // The window draws the button; this one only stands where it is drawn.
}

} // namespace glyphor
