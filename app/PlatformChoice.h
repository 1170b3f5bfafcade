#pragma once
// Which of the toolkit's display platforms the program asks for. On a
// Wayland desktop the toolkit tries its Wayland platform first, and where
// that is not installed (the qt6-wayland package, which the program's package
// only recommends) it prints "Could not find the Qt platform plugin" before
// it falls back to X11 through the desktop's X server. The program makes the
// same choice itself beforehand, quietly.

#include <QByteArray>
#include <QStringList>

namespace glyphor {

struct PlatformSituation {
    bool platformChosen = false; // QT_QPA_PLATFORM set, or -platform on the command line
    bool waylandSession = false; // WAYLAND_DISPLAY set, or XDG_SESSION_TYPE=wayland
    bool waylandPlugin = false; // the toolkit's Wayland platform is installed
    bool x11Display = false; // DISPLAY set
};

// The platform to ask for: "xcb" in a Wayland session without the Wayland
// platform when an X server is there to fall back on; otherwise nothing,
// and the choice (and any complaint) is the toolkit's.
QByteArray PlatformToChoose(const PlatformSituation& situation);

// Whether one of the toolkit's platform plugin folders (the "platforms"
// folders of its plugin folders) holds its Wayland platform
// ("libqwayland-generic.so" and the like).
bool HasWaylandPlatform(const QStringList& platformFolders);

// The situation of this process: its environment, its arguments and the
// toolkit's plugin folders (its own, QT_PLUGIN_PATH's and the program's).
PlatformSituation ReadPlatformSituation(int argc, char** argv);

// Asks the toolkit for the platform PlatformToChoose() names, if any, for
// the application about to be made, and says whether it did. Call it before
// the application exists, and once it does, UnsetChosenPlatform(), so that
// programs started from this one (the file browser) make their own choice.
bool ChoosePlatform(int argc, char** argv);
void UnsetChosenPlatform();

} // namespace glyphor
