#pragma once
// What the command line asks of the program: glyphor2 [SOURCE [DESTINATION]]
// starts the window with its browsers on those folders; --help and --version
// answer on stdout without opening a window (so they work with no display).

#include <QString>
#include <QStringList>

namespace glyphor {

class TForm1;

struct StartRequest {
    enum class Kind { Window, Help, Version, Usage };
    Kind kind = Kind::Window;
    QString source; // as given; empty when not given
    QString destination; // as given; empty when not given
    QString problem; // for Usage: what is wrong with the command line
};

// The arguments after the program's name, each converted from the system's
// bytes without loss.
QStringList NativeArguments(int argc, char** argv);

// Reads the arguments. Options end at "--", so that a folder whose name
// starts with "-" can be given after it.
StartRequest ParseStartArguments(const QStringList& args);

// The texts of --help and --version, and the usage line of a wrong call.
QString StartHelpText();
QString StartVersionText();
QString StartUsageText();

// Points the window's browsers at the folders of the request, each resolved
// against the current directory as it is when this is called. A folder that
// is missing or cannot be entered is reported in the application's error box
// and that browser stays where it started.
void OpenStartFolders(TForm1& form, const StartRequest& request);

} // namespace glyphor
