// libFuzzer harness over the help file reader. A file that is read must hold
// what the reader promises: at least one topic, each with a title and a body,
// no context number twice, and every link leading to a topic of the file.

#include "help/HelpFile.h"

#include <cstdlib>
#include <set>

using namespace glyphor::help;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto parsed = ParseHelpFile(std::span<const std::uint8_t>(data, size));
    if (!parsed) {
        if (parsed.message().empty())
            std::abort();
        return 0;
    }
    if (parsed->topics.empty())
        std::abort();
    std::set<int> seen;
    for (const HelpTopic& topic : parsed->topics) {
        if (topic.context < 1 || topic.title.empty() || topic.body.empty()
            || !seen.insert(topic.context).second)
            std::abort();
        if (parsed->topic(topic.context) != &topic)
            std::abort();
    }
    for (const HelpTopic& topic : parsed->topics)
        for (int to : topic.links)
            if (!seen.contains(to))
                std::abort();
    return 0;
}
