#pragma once
// The application's error box: the one place where an exception that leaves
// an event handler is shown to the user.

#include <QString>

class QWidget;

namespace glyphor::platform {

// The application's title as the box caption, the error icon, OK, and the
// message with the period rule of ErrorBoxText.
void ShowErrorBox(QWidget* parent, const QString& message);

// The title of every box the program shows in its own name.
QString ApplicationTitle();

} // namespace glyphor::platform
