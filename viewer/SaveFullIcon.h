#pragma once
// "Save Full Icon As...", shared by the viewer's Edit menu and the Sources
// dialog: a file dialog for the name, then the original group written there.

#include <QString>

#include <cstdint>
#include <vector>

class QWidget;

namespace glyphor {

// The name the file dialog offers for the original of the icon file named
// iconName: "Icon0003.ico" gives "Icon0003-full.ico".
QString FullIconName(const QString& iconName);

// Asks for a file name, offering FullIconName(iconName) in the folder last
// saved to (the home folder at first), and writes the group there. The
// dialog asks nothing about a name that is taken: the program replaces no
// file, so such a name is refused with the error box, as any other failure
// to write. Returns the path written; empty when the user cancelled, the
// write failed, or parent went away while the dialog was open.
QString SaveFullIconAs(QWidget* parent, const QString& iconName, std::vector<std::uint8_t> group);

} // namespace glyphor
