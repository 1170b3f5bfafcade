#include "help/HelpRequest.h"

#include <utility>

namespace glyphor::help {

namespace {

HelpHandler& Handler()
{
    static HelpHandler handler;
    return handler;
}

} // namespace

HelpHandler SetHelpHandler(HelpHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}

void RequestHelp(HelpCommand command, int context)
{
    // A copy, so that a handler that replaces itself does not pull the rug
    // from under its own call.
    if (const HelpHandler handler = Handler())
        handler({ command, command == HelpCommand::Finder ? 0 : context });
}

} // namespace glyphor::help
