#pragma once
// Where the program's own windows first appear.

class QWidget;

namespace glyphor::platform {

// Moves the window so that its frame is centred on the screen it is on.
void CentreOnScreen(QWidget& window);

} // namespace glyphor::platform
