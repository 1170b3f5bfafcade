#pragma once
// The program's own icon, drawn in code so that it stays sharp at every size
// the desktop asks for: a program window from which a bright icon is lifted.

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace glyphor {

// The icon drawn at size x size pixels. The image needs no display, so the
// build renders the installed icon files with it.
QImage ProgramIconImage(int size);
QPixmap ProgramIconPixmap(int size);

// The icon at the sizes a window and a task bar use (16, 24, 32, 48).
QIcon ProgramIcon();

} // namespace glyphor
