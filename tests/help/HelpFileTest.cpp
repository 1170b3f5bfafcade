// The help file reader: the shipped help, exact results for a well-formed
// file, a clear message for each way a file can be damaged, and the inputs
// kept from fuzzing.

#include "help/HelpFile.h"

#include "kit/Files.h"
#include "kit/KeptInputs.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace glyphor::help;
using namespace std::string_literals;

namespace {

std::vector<std::uint8_t> Bytes(std::string_view text)
{
    return { text.begin(), text.end() };
}

const std::string kHeader = std::string(kHelpFileHeader) + "\n";

TEST(HelpFile, ShippedHelpHasEveryTopicOfTheProgram)
{
    const auto parsed = ParseHelpFile(glyphor::kit::ReadBytes(G2_SHIPPED_HELP));
    ASSERT_TRUE(parsed) << parsed.message();
    for (int context : { 1, 5, 6, 10, 11, 12, 13, 14, 15, 30, 31 })
        EXPECT_NE(parsed->topic(context), nullptr) << "topic " << context;
    // Every topic can be reached from the first one by its links, and has
    // keywords for the index.
    std::set<int> reached { 1 };
    std::vector<int> open { 1 };
    while (!open.empty()) {
        const HelpTopic* topic = parsed->topic(open.back());
        open.pop_back();
        for (int to : topic->links)
            if (reached.insert(to).second)
                open.push_back(to);
    }
    for (const HelpTopic& topic : parsed->topics) {
        EXPECT_TRUE(reached.contains(topic.context))
            << "topic " << topic.context << " is not linked";
        EXPECT_FALSE(topic.keywords.empty()) << "topic " << topic.context << " has no keywords";
    }
}

// A scan disables Create Dir, Delete Dir, the other scan button and the
// lists: the topics say so, rather than that a click waits for the scan.
TEST(HelpFile, ShippedHelpSaysTheButtonsAreDisabledDuringAScan)
{
    const auto parsed = ParseHelpFile(glyphor::kit::ReadBytes(G2_SHIPPED_HELP));
    ASSERT_TRUE(parsed) << parsed.message();
    for (int context : { 5, 6, 10, 11 }) {
        const HelpTopic* topic = parsed->topic(context);
        ASSERT_NE(topic, nullptr);
        std::string text = topic->body;
        std::replace(text.begin(), text.end(), '\n', ' ');
        for (const char* waits : { "wait until", "waits while" })
            EXPECT_EQ(text.find(waits), std::string::npos) << "topic " << context << ": " << waits;
        EXPECT_NE(text.find("greyed out"), std::string::npos) << "topic " << context;
    }
}

TEST(HelpFile, ReadsTopicsAsWritten)
{
    const auto parsed = ParseHelpFile(Bytes("\xEF\xBB\xBF" + kHeader
        + "%title  My Help \r\n"
          "\r\n"
          "%topic 7   First topic  \r\n"
          "%keywords alpha;  beta gamma ; ;\r\n"
          "%keywords delta\r\n"
          "\r\n"
          "See [the other](topic:3) and [this](topic:7).\r\n"
          "%%topic is text here\r\n"
          "\r\n"
          "%topic 3 Other\n"
          "Body.\n"
          "%end\n"
          "\n"));
    ASSERT_TRUE(parsed) << parsed.message();
    EXPECT_EQ(parsed->title, "My Help");
    ASSERT_EQ(parsed->topics.size(), 2u);
    const HelpTopic& first = parsed->topics[0];
    EXPECT_EQ(first.context, 7);
    EXPECT_EQ(first.title, "First topic");
    EXPECT_EQ(first.keywords, (std::vector<std::string> { "alpha", "beta gamma", "delta" }));
    EXPECT_EQ(first.body, "See [the other](topic:3) and [this](topic:7).\n%topic is text here\n");
    EXPECT_EQ(first.links, (std::vector<int> { 3, 7 }));
    EXPECT_EQ(parsed->topics[1].body, "Body.\n");
    EXPECT_EQ(parsed->topic(3), &parsed->topics[1]);
    EXPECT_EQ(parsed->topic(4), nullptr);
}

struct DamagedCase {
    const char* name;
    std::string text;
    const char* message;
};

void PrintTo(const DamagedCase& c, std::ostream* os)
{
    *os << c.name;
}

class HelpFileDamaged : public testing::TestWithParam<DamagedCase> { };

TEST_P(HelpFileDamaged, GivesItsMessage)
{
    const auto parsed = ParseHelpFile(Bytes(GetParam().text));
    ASSERT_FALSE(parsed);
    EXPECT_EQ(parsed.message(), GetParam().message);
}

const std::string kTopic = "%topic 1 One\nText.\n";

INSTANTIATE_TEST_SUITE_P(Table, HelpFileDamaged,
    testing::Values(DamagedCase { "Empty", "", "the file is empty" },
        DamagedCase { "Foreign", "MZ\x90\0\x03",
            "this is not a help file of this program: its first line is not \"%glyphor2-help 1\"" },
        DamagedCase { "NewerVersion", "%glyphor2-help 2\n" + kTopic + "%end\n",
            "the file is written for another version of the program" },
        DamagedCase { "CutShort", kHeader + kTopic,
            "the file is cut short: it ends without its closing \"%end\" line" },
        DamagedCase { "CutInsideLink", kHeader + "%topic 1 One\nSee [it](topic:",
            "line 3: a link to a topic must read (topic:NUMBER)" },
        DamagedCase { "CutInsideCharacter", kHeader + "%topic 1 One\nCaf\xC3",
            "line 3: not UTF-8 text, or a control character in it" },
        DamagedCase { "DuplicateNumber",
            kHeader + kTopic + "%topic 2 Two\nText.\n%topic 1 Again\nText.\n%end\n",
            "line 6: topic 1 is defined twice (first at line 2)" },
        DamagedCase { "TopicWithoutBody",
            kHeader + "%topic 5 Five\n%keywords five\n\n  \n" + kTopic + "%end\n",
            "line 2: topic 5 has no text" },
        DamagedCase { "LastTopicWithoutBody", kHeader + kTopic + "%topic 2 Two\n\n%end\n",
            "line 4: topic 2 has no text" },
        DamagedCase { "TopicWithoutTitle", kHeader + "%topic 5  \nText.\n%end\n",
            "line 2: topic 5 has no title" },
        DamagedCase { "NumberNotDigits", kHeader + "%topic five Five\nText.\n%end\n",
            "line 2: \"five\" is not a topic number (1 to 2147483647)" },
        DamagedCase { "NumberZero", kHeader + "%topic 0 Zero\nText.\n%end\n",
            "line 2: \"0\" is not a topic number (1 to 2147483647)" },
        DamagedCase { "NumberTooLarge", kHeader + "%topic 2147483648 Big\nText.\n%end\n",
            "line 2: \"2147483648\" is not a topic number (1 to 2147483647)" },
        DamagedCase { "TextOutsideTopic", kHeader + "Stray text\n" + kTopic + "%end\n",
            "line 2: text outside a topic" },
        DamagedCase { "UnknownCommand", kHeader + kTopic + "%image x.png\n%end\n",
            "line 4: unknown command \"%image\"" },
        DamagedCase { "KeywordsAfterText", kHeader + kTopic + "%keywords late\n%end\n",
            "line 4: keywords must come before the topic's text" },
        DamagedCase { "KeywordsOutsideTopic", kHeader + "%keywords early\n" + kTopic + "%end\n",
            "line 2: keywords outside a topic" },
        DamagedCase { "LinkToMissingTopic",
            kHeader + "%topic 1 One\n\nSee [nine](topic:9).\n%end\n",
            "line 4: topic 1 links to topic 9, which the file does not hold" },
        DamagedCase { "LinkNotANumber", kHeader + "%topic 1 One\nSee [it](topic:abc).\n%end\n",
            "line 3: a link to a topic must read (topic:NUMBER)" },
        DamagedCase {
            "TextAfterEnd", kHeader + kTopic + "%end\nmore\n", "line 5: text after \"%end\"" },
        DamagedCase { "ControlCharacter", kHeader + "%topic 1 One\nA\x01 B\n%end\n",
            "line 3: not UTF-8 text, or a control character in it" },
        DamagedCase { "NulByte", kHeader + "%topic 1 One\nA\0B\n%end\n"s,
            "line 3: not UTF-8 text, or a control character in it" },
        DamagedCase { "OverlongUtf8", kHeader + "%topic 1 One\n\xC0\xAF\n%end\n",
            "line 3: not UTF-8 text, or a control character in it" },
        DamagedCase { "TitleAfterTopic", kHeader + kTopic + "%title Late\n%end\n",
            "line 4: the help's title must come before the first topic" },
        DamagedCase { "NoTopics", kHeader + "%title Empty\n%end\n", "the file holds no topics" }),
    glyphor::kit::RowName());

// A file of topics 1 to count, each with the given number of keywords.
std::string Topics(std::size_t count, std::size_t keywords = 1)
{
    std::string text = kHeader;
    for (std::size_t i = 1; i <= count; ++i) {
        text += "%topic " + std::to_string(i) + " T\n%keywords";
        for (std::size_t k = 0; k < keywords; ++k)
            text += " k" + std::to_string(k) + ";";
        text += "\nText.\n";
    }
    return text + "%end\n";
}

TEST(HelpFile, CountsAreCapped)
{
    EXPECT_TRUE(ParseHelpFile(Bytes(Topics(kMaxHelpTopics))));
    EXPECT_EQ(ParseHelpFile(Bytes(Topics(kMaxHelpTopics + 1))).message(),
        "line " + std::to_string(3 * kMaxHelpTopics + 2) + ": more than 500 topics");
    EXPECT_TRUE(ParseHelpFile(Bytes(Topics(1, kMaxHelpKeywords))));
    EXPECT_EQ(ParseHelpFile(Bytes(Topics(1, kMaxHelpKeywords + 1))).message(),
        "line 3: topic 1 has more than 50 keywords");
    const std::string longTitle(kMaxHelpTitleLength + 1, 'x');
    EXPECT_EQ(ParseHelpFile(Bytes(kHeader + "%topic 1 " + longTitle + "\nText.\n%end\n")).message(),
        "line 2: the title of topic 1 is longer than 200 bytes");
}

TEST(HelpFile, SizeIsCappedAtTheByte)
{
    // A body that fills the file to the limit exactly is read; one byte more
    // is refused before anything is parsed.
    const std::string frame = kHeader + "%topic 1 One\n" + "\n%end\n";
    std::string text = kHeader + "%topic 1 One\n"
        + std::string(kMaxHelpFileSize - frame.size(), 'a') + "\n%end\n";
    ASSERT_EQ(text.size(), kMaxHelpFileSize);
    EXPECT_TRUE(ParseHelpFile(Bytes(text)));
    text.insert(text.size() - 6, "a");
    EXPECT_EQ(ParseHelpFile(Bytes(text)).message(),
        "the file is 1048577 bytes long; a help file has at most 1048576");
}

std::string Repeated(std::string_view piece, std::size_t times)
{
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

struct ShownCase {
    const char* name;
    std::string body;
    std::size_t shown;
};

void PrintTo(const ShownCase& c, std::ostream* os)
{
    *os << c.name;
}

class TopicShown : public testing::TestWithParam<ShownCase> { };

// The part of a topic the window shows: all of a topic within the limits,
// else the longest start within them, cut after a line end where there is
// one and never inside a character.
TEST_P(TopicShown, IsTheLongestStartWithinTheLimits)
{
    const std::string_view body = GetParam().body;
    const std::size_t shown = ShownLength(body);
    EXPECT_EQ(shown, GetParam().shown);
    const std::string_view part = body.substr(0, shown);
    EXPECT_LE(part.size(), kMaxShownTopicBytes);
    EXPECT_LE(MarkdownMarks(part), kMaxShownTopicMarks);
    EXPECT_LE(TopicLinkCount(part), kMaxShownTopicLinks);
}

INSTANTIATE_TEST_SUITE_P(Table, TopicShown,
    testing::Values(ShownCase { "Empty", "", 0 },
        ShownCase { "WithinTheLimits", "Some *text*, [a link](topic:2).\n\n| a | b |\n", 43 },
        // 101-byte lines: 162 of them fit in 16 KB.
        ShownCase { "TooLongIsCutAfterALine", Repeated(std::string(100, 'x') + "\n", 200), 16362 },
        // "a" and then two-byte characters: byte 16384 is the second half of one.
        ShownCase { "OneLongLineIsCutBeforeACharacter", "a" + Repeated("\xC3\xA9", 9000), 16383 },
        // Three marks a line: the 167th line would take them past 500.
        ShownCase { "TooManyMarks", Repeated("*a*\n", 300), 166 * 4 },
        ShownCase { "TooManyLinks", Repeated("[a](topic:1)\n", 150), 100 * 13 },
        ShownCase { "LinksOnOneLine", Repeated("[a](topic:1)", 150), 100 * 12 + 2 },
        // The 501st mark is the "*" at byte 750.
        ShownCase { "AMegabyteOfStarsAndUnderscores", Repeated("*a_", 333000), 750 },
        ShownCase { "OpeningBrackets", std::string(700000, '['), kMaxShownTopicMarks }),
    glyphor::kit::RowName());

// A file whose one topic holds 80,000 links is read whole, every link
// checked; the window shows the first hundred of them.
TEST(HelpFile, TopicWithEightyThousandLinksIsReadAndShownInPart)
{
    const auto parsed = ParseHelpFile(
        Bytes(kHeader + "%topic 1 Links\n" + Repeated("[a](topic:1)", 80000) + "\n%end\n"));
    ASSERT_TRUE(parsed) << parsed.message();
    const HelpTopic& topic = parsed->topics.front();
    EXPECT_EQ(topic.links.size(), 80000u);
    EXPECT_EQ(topic.shown, ShownLength(topic.body));
    EXPECT_EQ(TopicLinkCount(std::string_view(topic.body).substr(0, topic.shown)), 100u);
}

TEST(HelpFile, FuzzFindingsFinish)
{
    const auto files = glyphor::kit::KeptInputs(G2_HELP_REGRESSIONS);
    if (files.empty())
        GTEST_SKIP() << "no findings kept";
    for (const auto& path : files) {
        const auto parsed = ParseHelpFile(glyphor::kit::ReadBytes(path));
        EXPECT_TRUE(parsed || !parsed.message().empty()) << path;
    }
}

} // namespace
