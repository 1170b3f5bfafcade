// libFuzzer harness over the help file reader. A file that is read must hold
// what the reader promises: at least one topic, each with a title and a body,
// no context number twice, and every link leading to a topic of the file.
//
// It also holds the time the help window takes to render any topic: the
// window renders only the part of a topic within the limits of HelpFile.h,
// and the time of the toolkit's Markdown rendering is bounded by the size,
// the marks and the links of what it renders (bench/HelpRenderBench.cpp
// measures the worst topics those limits let through). This build has no
// toolkit, so the harness checks the part the window is given: every topic's
// shown part is within the limits, cut where no character is split, and the
// whole of any topic that is within them.

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
    for (const HelpTopic& topic : parsed->topics) {
        const std::string_view body = topic.body;
        if (topic.shown != ShownLength(body) || topic.shown > body.size())
            std::abort();
        const std::string_view shown = body.substr(0, topic.shown);
        if (shown.size() > kMaxShownTopicBytes || MarkdownMarks(shown) > kMaxShownTopicMarks
            || TopicLinkCount(shown) > kMaxShownTopicLinks
            || topic.title.size() > kMaxHelpTitleLength)
            std::abort();
        if (topic.shown < body.size()
            && (static_cast<unsigned char>(body[topic.shown]) & 0xC0) == 0x80)
            std::abort();
        const bool within = body.size() <= kMaxShownTopicBytes
            && MarkdownMarks(body) <= kMaxShownTopicMarks
            && TopicLinkCount(body) <= kMaxShownTopicLinks;
        if (within != (topic.shown == body.size()))
            std::abort();
    }
    return 0;
}
