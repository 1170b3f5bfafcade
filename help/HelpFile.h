#pragma once
// The program's help file, "Glyphr.hlp": a UTF-8 text of topics, each with its
// context number, title, index keywords and a body in Markdown. The reader
// takes the file's bytes and checks all of it: a damaged or foreign file gives
// a message that says what is wrong and where, never a half-read help.
//
// The format, line by line (a line may end in CR LF):
//
//     %glyphor2-help 1            the first line, always
//     %title Glyphor 2 Help       optional, before the first topic: the window's caption
//     %topic 6 Scan Tree          a topic: its context number and its title
//     %keywords Scan Tree; Temp folder      optional, any number, before the body
//     Markdown text ...           the body; [text](topic:21) links to topic 21
//     %end                        the last line, so that a file cut short is told apart
//
// A body line that must begin with "%" is written with "%%". Blank lines
// around a body are dropped.

#include "util/Result.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace glyphor::help {

// Limits of what the reader accepts; the shipped file stays far below them.
inline constexpr std::size_t kMaxHelpFileSize = std::size_t { 1 } << 20;
inline constexpr std::size_t kMaxHelpTopics = 500;
inline constexpr std::size_t kMaxHelpKeywords = 50; // per topic
inline constexpr std::size_t kMaxHelpTitleLength = 200; // bytes, also for a keyword

// What the help window shows of one topic. The toolkit's Markdown rendering
// takes time that grows faster than the text: each block, span and run of
// text it makes costs more the more it has made before, so that 80,000 links
// or a megabyte of "*a_" in one topic held the window for minutes. The window
// therefore shows a topic's text up to these limits, which keep the worst
// topic well under a second; the shipped topics stay far below them (the
// longest has 2.3 KB, 16 links and about 90 marks). A topic's title adds at
// most kMaxHelpTitleLength bytes, and as many marks, to what they allow.
inline constexpr std::size_t kMaxShownTopicBytes = std::size_t { 16 } * 1024;
inline constexpr std::size_t kMaxShownTopicMarks = 500;
inline constexpr std::size_t kMaxShownTopicLinks = 100;

// The marks of Markdown text: its line ends, tabs, and every character that
// can open, close or break a span or a table cell (* _ ` ~ [ < & \ |). Each
// block, span, table cell and separate run of text that the renderer makes
// begins at one of them, so their number bounds its work.
std::size_t MarkdownMarks(std::string_view text);
// The links into the help in Markdown text: "](topic:" where it stands.
std::size_t TopicLinkCount(std::string_view text);

// How many bytes of a topic's body the window shows: all of them when the
// body is within the limits above; otherwise the longest start of it that
// is, ending after a line end where it holds one (so that no line is cut)
// and never inside a character.
std::size_t ShownLength(std::string_view body);

struct HelpTopic {
    int context = 0; // 1 and above
    std::string title;
    std::vector<std::string> keywords;
    std::string body; // Markdown, lines joined by "\n"
    std::vector<int> links; // the topics its links lead to, in the order they appear
    std::size_t shown = 0; // ShownLength(body)
};

struct HelpFile {
    std::string title;
    std::vector<HelpTopic> topics; // in the file's order, which is that of the contents

    // The topic with that context number, or nullptr.
    const HelpTopic* topic(int context) const;
};

// The first line of every help file of this program.
inline constexpr const char* kHelpFileHeader = "%glyphor2-help 1";

// The message for a file larger than kMaxHelpFileSize.
std::string HelpFileTooLarge(std::uint64_t size);

// The file's topics, or a message such as "line 12: topic 5 is defined twice
// (first at line 3)".
Result<HelpFile> ParseHelpFile(std::span<const std::uint8_t> bytes);

} // namespace glyphor::help
