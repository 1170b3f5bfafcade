#pragma once
// The application object. Its one job beyond QApplication: every exception
// that leaves an event handler ends that handler's work and is shown in the
// application's error box, here and nowhere else.

#include <QApplication>

#include <exception>
#include <utility>

namespace glyphor {

// The title of the application: the product caption and a notice of its maker.
QString ApplicationTitleText();

class GlyphorApplication : public QApplication {
    Q_OBJECT
public:
    // Names the organisation and application (where the settings live), sets
    // the application title and the program's icon.
    GlyphorApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the exception in the application's error box: the application title,
// the error icon, OK, and the message under the period rule. An exception of
// a kind the program does not raise is shown with a text of our own.
void ShowHandlerError(const std::exception_ptr& error);
// The same box for an error that arrives as its message.
void ShowErrorMessage(const QString& message);

// Runs a handler that is called from a signal rather than an event, so that
// its exception is shown by the same box without unwinding through the
// toolkit's signal delivery.
template <class Handler> void Guarded(Handler&& handler)
{
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        ShowHandlerError(std::current_exception());
    }
}

} // namespace glyphor
