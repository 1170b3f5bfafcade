// Where the help file is found, how a file that cannot be had is reported,
// and the index and find of the help window, without the window.

#include "help/HelpBook.h"
#include "files/NativePath.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace glyphor;
using namespace glyphor::help;

namespace {

void Write(const QString& path, const QByteArray& bytes)
{
    const int fd = ::open(files::ToNativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), bytes.size());
    ::close(fd);
}

const QByteArray kSmallHelp
    = "%glyphor2-help 1\n"
      "%topic 1 Welcome\n%keywords start; Scan File\n"
      "Read about [scanning](topic:5).\n"
      "%topic 5 Scan File and Save Icon\n%keywords Scan File; save icon; Save Icon; apple\n"
      "Scan File takes every icon. The temp folder holds them.\n"
      "%topic 6 Scan Tree\n%keywords scan tree; Zebra\n"
      "Scan Tree walks every folder.\n"
      "%end\n";

HelpBook SmallBook()
{
    auto parsed = ParseHelpFile(
        std::span(reinterpret_cast<const std::uint8_t*>(kSmallHelp.data()), kSmallHelp.size()));
    EXPECT_TRUE(parsed) << parsed.message();
    return HelpBook(std::move(*parsed));
}

std::vector<QString> Labels(const HelpBook& book)
{
    std::vector<QString> out;
    for (const HelpIndexEntry& entry : book.index())
        out.push_back(entry.label + "=" + QString::number(entry.context));
    return out;
}

TEST(HelpBook, IndexIsAlphabeticalWithSharedKeywordsToldApart)
{
    const HelpBook book = SmallBook();
    // "Save Icon" and "save icon" are one keyword of topic 5; "Scan File"
    // belongs to two topics and names each.
    EXPECT_EQ(Labels(book),
        (std::vector<QString> { "apple=5", "save icon=5", "Scan File (Scan File and Save Icon)=5",
            "Scan File (Welcome)=1", "scan tree=6", "start=1", "Zebra=6" }));
    EXPECT_EQ(book.title(), "Help");
}

TEST(HelpBook, TypeToFindLandsOnTheFirstEntryAtOrAfterTheText)
{
    const HelpBook book = SmallBook();
    struct Row {
        const char* typed;
        int row;
    };
    for (const Row& r : { Row { "", 0 }, Row { "s", 1 }, Row { "SC", 2 }, Row { "scan t", 4 },
             Row { "sta", 5 }, Row { "sz", 6 }, Row { "zz", 6 }, Row { "b", 1 } })
        EXPECT_EQ(book.indexRowFor(r.typed), r.row) << r.typed;
}

TEST(HelpBook, FindNeedsEveryWordAndIgnoresLinkTargets)
{
    const HelpBook book = SmallBook();
    struct Row {
        const char* query;
        std::vector<int> topics;
    };
    for (const Row& r : { Row { "scan", { 1, 5, 6 } }, Row { "  EVERY   icon ", { 5 } },
             Row { "every", { 5, 6 } }, Row { "Welcome", { 1 } }, Row { "topic", {} },
             Row { "scan zebra", {} }, Row { "   ", {} } })
        EXPECT_EQ(book.find(r.query), r.topics) << r.query;
}

TEST(HelpBook, TopicIsRenderedWithItsTitle)
{
    const HelpBook book = SmallBook();
    EXPECT_EQ(book.contents(), (std::vector<int> { 1, 5, 6 }));
    EXPECT_EQ(book.topicMarkdown(6), "# Scan Tree\n\nScan Tree walks every folder.\n");
    EXPECT_EQ(book.topicMarkdown(7), QString());
    EXPECT_FALSE(book.hasTopic(2));
}

// A topic longer than the window shows is shown from its beginning, after a
// note that says so; the find looks only at what is shown.
TEST(HelpBook, LongTopicIsShownInPartAfterANote)
{
    std::string text = "%glyphor2-help 1\n%topic 1 Long\nfirst\n";
    for (int i = 0; i < 2000; ++i)
        text += "line of text\n";
    text += "last\n%end\n";
    auto parsed
        = ParseHelpFile(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    ASSERT_TRUE(parsed) << parsed.message();
    const std::size_t shown = parsed->topics.front().shown;
    const HelpBook book(std::move(*parsed));
    const QString markdown = book.topicMarkdown(1);
    const QString head = QStringLiteral("# Long\n\n") + kTopicCutNote + "\n\nfirst\n";
    EXPECT_TRUE(markdown.startsWith(head)) << markdown.left(200).toStdString();
    EXPECT_EQ(markdown.size(), head.size() + qsizetype(shown) - 6);
    EXPECT_EQ(book.find("first"), std::vector<int> { 1 });
    EXPECT_EQ(book.find("last"), std::vector<int> {});
}

TEST(HelpBook, CharactersWithTooManyMarksAreShownAsOne)
{
    const QString acute(QChar(0x0301));
    struct Row {
        const char* name;
        QString text;
        QString shown;
    };
    const QString family = QString::fromUtf8("\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9"
                                             "\xE2\x80\x8D\xF0\x9F\x91\xA7");
    for (const Row& r : { Row { "plain text", "no marks at all", "no marks at all" },
             Row { "a few marks", "e" + acute.repeated(3) + "!", "e" + acute.repeated(3) + "!" },
             Row { "at the limit", "e" + acute.repeated(31), "e" + acute.repeated(31) },
             Row { "one mark too many", "x e" + acute.repeated(32) + " y",
                 QStringLiteral("x \uFFFD y") },
             Row { "thousands of marks", acute.repeated(5000) + "z", QStringLiteral("\uFFFDz") },
             Row { "joined emoji", family, family } })
        EXPECT_EQ(WithShortClusters(r.text), r.shown) << r.name;
}

class HelpFileOnDisk : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QTemporaryDir dir;
    QString root = QDir(dir.path()).canonicalPath();
};

TEST_F(HelpFileOnDisk, FoundBesideTheProgramFirstThenInShare)
{
    QDir(root).mkpath("bin");
    QDir(root).mkpath("share/glyphor2");
    const QString bin = root + "/bin";
    // Neither: the place beside the program, for the message.
    EXPECT_EQ(FindHelpFile(bin), bin + "/Glyphr.hlp");
    Write(root + "/share/glyphor2/Glyphr.hlp", kSmallHelp);
    EXPECT_EQ(FindHelpFile(bin), root + "/share/glyphor2/Glyphr.hlp");
    Write(bin + "/Glyphr.hlp", kSmallHelp);
    EXPECT_EQ(FindHelpFile(bin), bin + "/Glyphr.hlp");
    // The current folder plays no part.
    const QString before = QDir::currentPath();
    QDir::setCurrent(root + "/share/glyphor2");
    EXPECT_EQ(FindHelpFile(bin), bin + "/Glyphr.hlp");
    QDir::setCurrent(before);
}

TEST_F(HelpFileOnDisk, FileThatCannotBeHadIsReportedWithItsPath)
{
    const QString missing = root + "/Glyphr.hlp";
    EXPECT_EQ(
        LoadHelpBook(missing).message(), (missing + ": No such file or directory").toStdString());
    EXPECT_EQ(LoadHelpBook(root).message(), (root + ": Is a directory").toStdString());

    // A fifo is refused at once instead of waiting for a writer.
    const QString fifo = root + "/fifo.hlp";
    ASSERT_EQ(::mkfifo(files::ToNativePath(fifo).c_str(), 0600), 0);
    EXPECT_EQ(LoadHelpBook(fifo).message(), (fifo + ": not a regular file").toStdString());

    // A huge file is refused by its size, without reading it.
    const QString huge = root + "/huge.hlp";
    Write(huge, kSmallHelp);
    ASSERT_EQ(::truncate(files::ToNativePath(huge).c_str(), 3 << 20), 0);
    EXPECT_EQ(LoadHelpBook(huge).message(),
        (huge + ": the file is 3145728 bytes long; a help file has at most 1048576").toStdString());

    const QString damaged = root + "/damaged.hlp";
    Write(damaged, kSmallHelp.left(kSmallHelp.size() - 5));
    EXPECT_EQ(LoadHelpBook(damaged).message(),
        (damaged + ": the file is cut short: it ends without its closing \"%end\" line")
            .toStdString());
}

TEST_F(HelpFileOnDisk, NameThatIsNotUtf8IsReadAndShownMarked)
{
    const QString odd = files::FromNativePath(files::ToNativePath(root) + "/help\xff.hlp");
    Write(odd, kSmallHelp);
    const auto book = LoadHelpBook(odd);
    ASSERT_TRUE(book) << book.message();
    EXPECT_EQ(book->contents().size(), 3u);
    ::unlink(files::ToNativePath(odd).c_str());
    EXPECT_EQ(LoadHelpBook(odd).message(),
        (root + "/help\\xFF.hlp: No such file or directory").toStdString());
}

} // namespace
