#include "help/HelpFile.h"

#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <string_view>

namespace glyphor::help {

const HelpTopic* HelpFile::topic(int context) const
{
    const auto it = std::find_if(
        topics.begin(), topics.end(), [&](const HelpTopic& t) { return t.context == context; });
    return it == topics.end() ? nullptr : &*it;
}

namespace {

// Where a Markdown link into the help begins: "[text](topic:N)".
constexpr std::string_view kTopicLink = "](topic:";

// What ends the read: the message of the first fault found.
struct Damaged {
    std::string message;
};

[[noreturn]] void Fail(std::size_t line, const std::string& what)
{
    throw Damaged { "line " + std::to_string(line) + ": " + what };
}

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

// True when the text is well-formed UTF-8 and holds no control character but
// the tab: a help file is text to be read, and anything else means the file
// is not one (or is damaged).
bool IsCleanText(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto lead = static_cast<unsigned char>(s[i]);
        if (lead < 0x80) {
            if ((lead < 0x20 && lead != '\t') || lead == 0x7F)
                return false;
            ++i;
            continue;
        }
        std::size_t extra = 0;
        char32_t code = 0;
        char32_t smallest = 0;
        if ((lead & 0xE0) == 0xC0)
            extra = 1, code = lead & 0x1F, smallest = 0x80;
        else if ((lead & 0xF0) == 0xE0)
            extra = 2, code = lead & 0x0F, smallest = 0x800;
        else if ((lead & 0xF8) == 0xF0)
            extra = 3, code = lead & 0x07, smallest = 0x10000;
        else
            return false;
        if (s.size() - i <= extra)
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(s[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not text.
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

std::string_view Trimmed(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A context number: decimal digits only, 1 to INT_MAX.
std::optional<int> ParseContext(std::string_view digits)
{
    if (digits.empty() || digits.size() > 10)
        return std::nullopt;
    long long value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

class Parser {
public:
    void line(std::size_t number, std::string_view text);
    HelpFile finish();

private:
    void command(std::size_t number, std::string_view word, std::string_view rest);
    void startTopic(std::size_t number, std::string_view rest);
    void addKeywords(std::size_t number, std::string_view rest);
    void bodyLine(std::size_t number, std::string_view text);
    void endTopic();
    HelpTopic& current() { return m_file.topics.back(); }

    struct Link {
        std::size_t line;
        std::size_t fromIndex; // of the topic that holds the link
        int to;
    };

    HelpFile m_file;
    bool m_inTopic = false;
    bool m_ended = false;
    std::size_t m_topicLine = 0;
    std::vector<std::string_view> m_body; // the current topic's lines, blank ones included
    std::map<int, std::size_t> m_firstLine; // context number to the line of its %topic
    std::vector<Link> m_links;
};

void Parser::line(std::size_t number, std::string_view text)
{
    if (!IsCleanText(text))
        Fail(number, "not UTF-8 text, or a control character in it");
    if (m_ended) {
        if (!Trimmed(text).empty())
            Fail(number, "text after " + Quoted("%end"));
        return;
    }
    if (text.starts_with('%') && !text.starts_with("%%")) {
        const std::string_view line = text.substr(1);
        const std::size_t space = line.find_first_of(" \t");
        const std::string_view word = line.substr(0, space);
        command(number, word,
            space == std::string_view::npos ? std::string_view() : Trimmed(line.substr(space)));
        return;
    }
    if (!m_inTopic) {
        if (!Trimmed(text).empty())
            Fail(number, "text outside a topic");
        return;
    }
    bodyLine(number, text.starts_with("%%") ? text.substr(1) : text);
}

void Parser::command(std::size_t number, std::string_view word, std::string_view rest)
{
    if (word == "topic") {
        startTopic(number, rest);
    } else if (word == "keywords") {
        addKeywords(number, rest);
    } else if (word == "title") {
        if (!m_file.topics.empty())
            Fail(number, "the help's title must come before the first topic");
        if (!m_file.title.empty())
            Fail(number, "a second title");
        if (rest.empty() || rest.size() > kMaxHelpTitleLength)
            Fail(
                number, "a title must have 1 to " + std::to_string(kMaxHelpTitleLength) + " bytes");
        m_file.title = rest;
    } else if (word == "end") {
        if (m_inTopic)
            endTopic();
        m_ended = true;
    } else {
        Fail(number, "unknown command " + Quoted("%" + std::string(word)));
    }
}

void Parser::startTopic(std::size_t number, std::string_view rest)
{
    if (m_inTopic)
        endTopic();
    const std::size_t space = rest.find_first_of(" \t");
    const std::string_view digits = rest.substr(0, space);
    const std::optional<int> context = ParseContext(digits);
    if (!context)
        Fail(number,
            Quoted(digits) + " is not a topic number (1 to " + std::to_string(INT_MAX) + ")");
    const std::string_view title
        = space == std::string_view::npos ? std::string_view() : Trimmed(rest.substr(space));
    if (title.empty())
        Fail(number, "topic " + std::to_string(*context) + " has no title");
    if (title.size() > kMaxHelpTitleLength)
        Fail(number,
            "the title of topic " + std::to_string(*context) + " is longer than "
                + std::to_string(kMaxHelpTitleLength) + " bytes");
    if (const auto first = m_firstLine.find(*context); first != m_firstLine.end())
        Fail(number,
            "topic " + std::to_string(*context) + " is defined twice (first at line "
                + std::to_string(first->second) + ")");
    if (m_file.topics.size() == kMaxHelpTopics)
        Fail(number, "more than " + std::to_string(kMaxHelpTopics) + " topics");
    m_firstLine.emplace(*context, number);
    m_file.topics.push_back({ *context, std::string(title), {}, {}, {} });
    m_inTopic = true;
    m_topicLine = number;
    m_body.clear();
}

void Parser::addKeywords(std::size_t number, std::string_view rest)
{
    if (!m_inTopic)
        Fail(number, "keywords outside a topic");
    if (!m_body.empty())
        Fail(number, "keywords must come before the topic's text");
    // Empty items, as a trailing ";" gives, are passed over.
    while (!rest.empty()) {
        const std::size_t semicolon = rest.find(';');
        const std::string_view keyword = Trimmed(rest.substr(0, semicolon));
        rest
            = semicolon == std::string_view::npos ? std::string_view() : rest.substr(semicolon + 1);
        if (keyword.empty())
            continue;
        if (keyword.size() > kMaxHelpTitleLength)
            Fail(number, "a keyword longer than " + std::to_string(kMaxHelpTitleLength) + " bytes");
        if (current().keywords.size() == kMaxHelpKeywords)
            Fail(number,
                "topic " + std::to_string(current().context) + " has more than "
                    + std::to_string(kMaxHelpKeywords) + " keywords");
        current().keywords.emplace_back(keyword);
    }
}

void Parser::bodyLine(std::size_t number, std::string_view text)
{
    if (m_body.empty() && Trimmed(text).empty())
        return;
    // Every Markdown link into the help, "](topic:N)", must lead to a topic
    // of the file; the check waits for the end, as links may point forward.
    for (std::size_t at = text.find(kTopicLink); at != std::string_view::npos;
         at = text.find(kTopicLink, at + 1)) {
        const std::string_view target = text.substr(at + kTopicLink.size());
        const std::size_t close = target.find(')');
        const std::optional<int> to = close == std::string_view::npos
            ? std::nullopt
            : ParseContext(target.substr(0, close));
        if (!to)
            Fail(number, "a link to a topic must read (topic:NUMBER)");
        m_links.push_back({ number, m_file.topics.size() - 1, *to });
    }
    m_body.push_back(text);
}

void Parser::endTopic()
{
    while (!m_body.empty() && Trimmed(m_body.back()).empty())
        m_body.pop_back();
    if (m_body.empty())
        Fail(m_topicLine, "topic " + std::to_string(current().context) + " has no text");
    std::string& body = current().body;
    for (const std::string_view line : m_body) {
        body.append(line);
        body.push_back('\n');
    }
    current().shown = ShownLength(body);
    m_body.clear();
    m_inTopic = false;
}

HelpFile Parser::finish()
{
    if (!m_ended)
        throw Damaged { "the file is cut short: it ends without its closing " + Quoted("%end")
            + " line" };
    if (m_file.topics.empty())
        throw Damaged { "the file holds no topics" };
    for (const Link& link : m_links) {
        HelpTopic& from = m_file.topics[link.fromIndex];
        if (!m_firstLine.contains(link.to))
            Fail(link.line,
                "topic " + std::to_string(from.context) + " links to topic "
                    + std::to_string(link.to) + ", which the file does not hold");
        from.links.push_back(link.to);
    }
    return std::move(m_file);
}

} // namespace

namespace {

bool IsMark(char c)
{
    switch (c) {
    case '\n':
    case '\t':
    case '*':
    case '_':
    case '`':
    case '~':
    case '[':
    case '<':
    case '&':
    case '\\':
    case '|':
        return true;
    default:
        return false;
    }
}

} // namespace

std::size_t MarkdownMarks(std::string_view text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), IsMark));
}

std::size_t TopicLinkCount(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(kTopicLink); at != std::string_view::npos;
         at = text.find(kTopicLink, at + 1))
        ++count;
    return count;
}

std::size_t ShownLength(std::string_view body)
{
    // The first byte that would take the text past a limit, if any.
    std::size_t marks = 0;
    std::size_t links = 0;
    std::size_t stop = std::min(body.size(), kMaxShownTopicBytes);
    for (std::size_t i = 0; i < stop; ++i) {
        if (IsMark(body[i]) && ++marks > kMaxShownTopicMarks) {
            stop = i;
            break;
        }
        if (body.substr(i).starts_with(kTopicLink) && ++links > kMaxShownTopicLinks) {
            stop = i;
            break;
        }
    }
    if (stop == body.size())
        return stop;
    // Back to the last line end before the stop, or else to the start of the
    // character the stop falls in.
    if (const std::size_t lineEnd = body.rfind('\n', stop == 0 ? 0 : stop - 1);
        lineEnd != std::string_view::npos && lineEnd < stop)
        return lineEnd + 1;
    while (stop > 0 && (static_cast<unsigned char>(body[stop]) & 0xC0) == 0x80)
        --stop;
    return stop;
}

std::string HelpFileTooLarge(std::uint64_t size)
{
    return "the file is " + std::to_string(size) + " bytes long; a help file has at most "
        + std::to_string(kMaxHelpFileSize);
}

Result<HelpFile> ParseHelpFile(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() > kMaxHelpFileSize)
        return Failure { HelpFileTooLarge(bytes.size()) };
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.empty())
        return Failure { "the file is empty" };
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    try {
        Parser parser;
        std::size_t number = 0;
        while (!text.empty()) {
            const std::size_t newline = text.find('\n');
            std::string_view line = text.substr(0, newline);
            text
                = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
            if (line.ends_with('\r'))
                line.remove_suffix(1);
            if (++number == 1 && Trimmed(line) != kHelpFileHeader) {
                // Told apart so that a help file of a later version says so
                // rather than calling itself foreign.
                if (line.starts_with("%glyphor2-help "))
                    return Failure { "the file is written for another version of the program" };
                return Failure { "this is not a help file of this program: its first line is not "
                    + Quoted(kHelpFileHeader) };
            }
            if (number > 1)
                parser.line(number, line);
        }
        return parser.finish();
    } catch (const Damaged& damaged) {
        return Failure { damaged.message };
    }
}

} // namespace glyphor::help
