#pragma once
// Where the program's windows first appear: in the middle of the screen
// that they are on, frame included.

class QWidget;

namespace glyphor {

void CentreOnScreen(QWidget& window);

} // namespace glyphor
