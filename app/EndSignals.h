#pragma once
// The signals that end the program from outside, SIGTERM and SIGHUP (a
// shutdown, a logout, a kill), end it as they would have, but only once a
// last piece of work has run on the main thread: what the window keeps
// until it closes (the running total of icons) is not lost with it. The
// signal reaches the event loop through a pipe, the one thing a handler may
// safely do.

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace glyphor {

class EndSignals : public QObject {
    Q_OBJECT
public:
    // How the program ends on the signal: as the signal's default would.
    static void EndAsTheSignalWould(int number);

    // Installs the handlers; last runs when one of the signals arrives, then
    // end with its number.
    explicit EndSignals(std::function<void()> last,
        std::function<void(int)> end = EndAsTheSignalWould, QObject* parent = nullptr);
    ~EndSignals() override;
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

private:
    void arrived();

    std::function<void()> m_last;
    std::function<void(int)> m_end;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace glyphor
