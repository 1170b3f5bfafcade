#include "help/HelpService.h"

#include "help/HelpWindow.h"

namespace glyphor::help {

HelpService::HelpService(const QString& helpFile)
    : m_helpFile(helpFile)
{
    m_previous = SetHelpHandler([this](const HelpRequest& request) { handle(request); });
}

HelpService::~HelpService()
{
    SetHelpHandler(std::move(m_previous));
    delete m_window;
}

void HelpService::handle(const HelpRequest& request)
{
    // The window has no parent: it stays open beside the program's windows,
    // whichever of them asked for it. Closing it only hides it.
    if (!m_window)
        m_window = new HelpWindow(m_helpFile);
    m_window->showHelp(request);
}

} // namespace glyphor::help
