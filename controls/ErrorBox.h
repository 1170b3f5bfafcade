#pragma once
// The application's error box: the one place where an exception that leaves
// an event handler is shown to the user.

#include <QString>

class QWidget;

namespace glyphor {

// The application's title as the box caption, the error icon, OK, and the
// message with the period rule of ErrorBoxText.
void ShowErrorBox(QWidget* parent, const QString& message);

// The title of every box the program shows in its own name: the one given to
// SetApplicationTitle, "Glyphor 2" until then.
QString ApplicationTitle();
// Kept here rather than as the toolkit's application display name, which the
// X11 and Windows platforms append to the caption of every window.
void SetApplicationTitle(const QString& title);

} // namespace glyphor
