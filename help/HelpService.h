#pragma once
// The program's one help window behind every help request. While a service
// exists it is the handler of RequestHelp: the first request creates the
// window, and each later one brings that same window forward with what it
// asks for.

#include "help/HelpRequest.h"
#include "help/HelpWindow.h"

#include <QPointer>
#include <QString>

namespace glyphor::help {

class HelpService {
public:
    // Installs itself as the help handler; helpFile is the path the program
    // settled on at start-up.
    explicit HelpService(const QString& helpFile);
    // Puts the previous handler back and closes the window.
    ~HelpService();
    HelpService(const HelpService&) = delete;
    HelpService& operator=(const HelpService&) = delete;

    // The help window, once a request has made it.
    HelpWindow* window() const { return m_window; }

private:
    void handle(const HelpRequest& request);

    QString m_helpFile;
    QPointer<HelpWindow> m_window;
    HelpHandler m_previous;
};

} // namespace glyphor::help
