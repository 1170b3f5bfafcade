#pragma once
// The program's dialogs as a desktop's title bar shows them. A dialog of a
// fixed size asks for a title, the window menu and a close button, never for
// minimize or maximize, and is made wide enough for its whole title to show
// in the title bar, whose buttons and icon take room of their own. Where the
// toolkit draws the title bar itself (on a Wayland desktop that draws none),
// its title is centred in a 14-pixel font between the icon and three
// buttons, and a narrow dialog's title is cut ("Create Direc").

#include <QMessageBox>
#include <QString>

class QDialog;
class QInputDialog;
class QWidget;

namespace glyphor {

inline constexpr Qt::WindowFlags kFixedDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint
    | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// What a title bar takes beside its title: the window's icon and three
// buttons, with their spacing, the most that the toolkit's own title bar
// takes on either side of a centred title (77 pixels on the right, doubled).
inline constexpr int kTitleBarChrome = 160;

// The width of a title's text in the larger of the desktop's title font and
// the 14-pixel font of the toolkit's own title bar.
int TitleTextWidth(const QString& title);

// The least width of a window whose title bar shows title whole.
int TitleBarWidth(const QString& title);

// A message box of the program's: the given icon, title, text and buttons,
// the flags of a fixed-size dialog, wide enough for its title, and its icon
// named for screen readers ("Warning", "Information", ...).
QMessageBox* NewMessageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
    QMessageBox::StandardButtons buttons, QWidget* parent);

// Such a box with one OK button, shown until it is closed. It is made on the
// heap and guarded, as it is a child of a window that could go while it is up.
void ShowMessageBox(
    QMessageBox::Icon icon, const QString& title, const QString& text, QWidget* parent);

// The same care for a text input dialog: its flags and a fixed size wide
// enough for its title. Call it once its title and label are set.
void FitInputDialog(QInputDialog& dialog);

} // namespace glyphor
