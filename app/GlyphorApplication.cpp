#include "app/GlyphorApplication.h"

#include "app/MenuHelpFilter.h"
#include "browse/BrowseErrors.h"
#include "controls/ErrorBox.h"
#include "controls/ProgramIcon.h"
#include "files/NativePath.h"

namespace glyphor {

QString ApplicationTitleText()
{
    return QStringLiteral("Glyphor 2 - a Tarnwell utility");
}

GlyphorApplication::GlyphorApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("Tarnwell"));
    setApplicationName(QStringLiteral("Glyphor2"));
    // Ties the windows to the installed desktop entry, so that a desktop shows
    // the program's name and icon for them.
    setDesktopFileName(QStringLiteral("com.tarnwell.glyphor2"));
    // The application's title names the product and its maker; it is the
    // caption of the program's own message boxes. It is not the toolkit's
    // display name: X11 appends that one to every window's caption, so the
    // main window would read "Glyphor 2" followed by this whole title.
    SetApplicationTitle(ApplicationTitleText());
    setWindowIcon(ProgramIcon());
    // The browsers catch what their own events raise; they show it here too.
    SetBrowseErrorReporter([](QWidget*, const QString& message) { ShowErrorMessage(message); });
    // F1 on a highlighted menu entry, in every window of the program.
    installEventFilter(new MenuHelpFilter(this));
}

bool GlyphorApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowHandlerError(std::current_exception());
        // The event counts as handled: its handler ended with the error.
        return true;
    }
}

void ShowHandlerError(const std::exception_ptr& error)
{
    QString message;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        // A message may name a file by its bytes; they are shown readably.
        message = files::DisplayMessage(e.what());
    } catch (...) {
        message = QStringLiteral("An unexpected error ended the command");
    }
    ShowErrorMessage(message);
}

void ShowErrorMessage(const QString& message)
{
    ShowErrorBox(QApplication::activeWindow(), message);
}

} // namespace glyphor
