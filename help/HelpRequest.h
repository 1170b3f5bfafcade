#pragma once
// Every help command of the program's windows ends here: the help contents
// (the topics with their index and find) or one topic by its context number.
// The program installs its help window as the handler when it starts; tests
// install a recorder and look at the requests.

#include <functional>

namespace glyphor::help {

enum class HelpCommand {
    Finder, // the topics: contents, index of keywords, find
    Context, // one topic, by its context number
};

struct HelpRequest {
    HelpCommand command = HelpCommand::Finder;
    int context = 0; // the topic's context number; 0 with Finder

    friend bool operator==(const HelpRequest&, const HelpRequest&) = default;
};

using HelpHandler = std::function<void(const HelpRequest&)>;

// Replaces the handler and returns the one it replaces. Without a handler,
// requests go nowhere (a program built without its help window).
HelpHandler SetHelpHandler(HelpHandler handler);
void RequestHelp(HelpCommand command, int context = 0);

} // namespace glyphor::help
