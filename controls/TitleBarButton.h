#pragma once
// A button of a title bar that the program draws itself, as screen readers
// and other assistive tools see it. The title bar's buttons are pictures on
// the window's frame; each gets one of these laid over it: it draws nothing,
// takes neither the focus nor the mouse (the window's drawing and its own
// handling of the mouse stay as they are), and is there so that a screen
// reader finds a button named "Minimize" or "Close" at that place, whose
// press action does what a click on the drawn button does.

#include <QAbstractButton>

namespace glyphor {

class TitleBarButton : public QAbstractButton {
    Q_OBJECT
public:
    TitleBarButton(const QString& name, QWidget* window);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace glyphor
