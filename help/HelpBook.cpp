#include "help/HelpBook.h"

#include "files/InputFile.h"
#include "files/NativePath.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cerrno>

namespace glyphor::help {

namespace {

QString Text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// The part of a topic's body that the window shows.
std::string_view ShownBody(const HelpTopic& topic)
{
    return std::string_view(topic.body).substr(0, topic.shown);
}

// Index order: the keyword without regard to case, then as written, then the
// order of the contents (the sort is stable).
bool IndexLess(const HelpIndexEntry& a, const HelpIndexEntry& b)
{
    const int folded = a.label.compare(b.label, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a.label < b.label;
}

} // namespace

HelpBook::HelpBook(HelpFile file)
    : m_file(std::move(file))
{
    // A keyword that several topics share gets one row per topic, told
    // apart by the topic's title.
    QHash<QString, int> holders;
    for (const HelpTopic& topic : m_file.topics) {
        QStringList seen;
        for (const std::string& keyword : topic.keywords) {
            const QString folded = Text(keyword).toCaseFolded();
            if (!seen.contains(folded)) {
                seen << folded;
                ++holders[folded];
            }
        }
    }
    for (const HelpTopic& topic : m_file.topics) {
        QStringList seen;
        for (const std::string& keyword : topic.keywords) {
            const QString label = Text(keyword);
            const QString folded = label.toCaseFolded();
            if (seen.contains(folded))
                continue;
            seen << folded;
            m_index.push_back({ holders.value(folded) > 1
                    ? label + QStringLiteral(" (") + Text(topic.title) + QLatin1Char(')')
                    : label,
                topic.context });
        }
    }
    std::stable_sort(m_index.begin(), m_index.end(), IndexLess);

    // Link targets are not text a reader sees; "topic" would find them all.
    static const QRegularExpression linkTarget(QStringLiteral("\\]\\(topic:\\d+\\)"));
    for (const HelpTopic& topic : m_file.topics)
        m_searchText.push_back(Text(topic.title) + QLatin1Char('\n')
            + Text(ShownBody(topic)).replace(linkTarget, QStringLiteral("]")));
}

QString HelpBook::title() const
{
    return m_file.title.empty() ? QStringLiteral("Help") : Text(m_file.title);
}

std::vector<int> HelpBook::contents() const
{
    std::vector<int> out;
    for (const HelpTopic& topic : m_file.topics)
        out.push_back(topic.context);
    return out;
}

QString HelpBook::topicTitle(int context) const
{
    const HelpTopic* topic = m_file.topic(context);
    return topic ? Text(topic->title) : QString();
}

QString HelpBook::topicMarkdown(int context) const
{
    const HelpTopic* topic = m_file.topic(context);
    if (!topic)
        return {};
    QString markdown = QStringLiteral("# ") + Text(topic->title) + QStringLiteral("\n\n");
    if (topic->shown < topic->body.size())
        markdown += QString::fromLatin1(kTopicCutNote) + QStringLiteral("\n\n");
    return WithShortClusters(markdown + Text(ShownBody(*topic)));
}

QString WithShortClusters(const QString& text)
{
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    QString out;
    qsizetype copied = 0; // the text before this is in out already
    qsizetype start = 0;
    for (qsizetype end = characters.toNextBoundary(); end >= 0; end = characters.toNextBoundary()) {
        if (end - start > kMaxHelpClusterLength) {
            out += QStringView(text).sliced(copied, start - copied);
            out += QChar(QChar::ReplacementCharacter);
            copied = end;
        }
        start = end;
    }
    if (copied == 0)
        return text;
    out += QStringView(text).sliced(copied);
    return out;
}

int HelpBook::indexRowFor(const QString& typed) const
{
    if (m_index.empty())
        return -1;
    const auto it = std::lower_bound(m_index.begin(), m_index.end(), typed,
        [](const HelpIndexEntry& entry, const QString& text) {
            return entry.label.compare(text, Qt::CaseInsensitive) < 0;
        });
    return it == m_index.end() ? int(m_index.size()) - 1 : int(it - m_index.begin());
}

QStringList HelpBook::findWords(const QString& query)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return query.split(blanks, Qt::SkipEmptyParts);
}

std::vector<int> HelpBook::find(const QString& query) const
{
    const QStringList words = findWords(query);
    std::vector<int> found;
    if (words.isEmpty())
        return found;
    for (std::size_t i = 0; i < m_file.topics.size(); ++i) {
        const QString& text = m_searchText[i];
        if (std::all_of(words.begin(), words.end(),
                [&](const QString& w) { return text.contains(w, Qt::CaseInsensitive); }))
            found.push_back(m_file.topics[i].context);
    }
    return found;
}

QString FindHelpFile(const QString& appDir)
{
    const QString name = QString::fromLatin1(kHelpFileName);
    QString beside = platform::JoinPath(appDir, name);
    QString installed
        = platform::JoinPath(QDir::cleanPath(appDir + QStringLiteral("/../share/glyphor2")), name);
    if (!platform::IsExistingFile(beside) && platform::IsExistingFile(installed))
        return installed;
    return beside;
}

namespace {

// The whole file, or the reason it cannot be had.
Result<std::vector<std::uint8_t>> ReadHelpBytes(const std::string& path)
{
    const auto failed
        = [](int error) { return Failure { platform::SystemErrorText(error).toStdString() }; };
    // Not blocking on open: a fifo in the file's place must not hang the window.
    files::InputFile file = files::InputFile::open(path);
    if (!file.ok()) {
        if (file.notRegular() && file.error() != EISDIR)
            return Failure { "not a regular file" };
        return failed(file.error());
    }
    if (file.size() > kMaxHelpFileSize)
        return Failure { HelpFileTooLarge(file.size()) };
    // Read up to one byte more than the limit, so that a file that grew
    // since the look at its size is still caught.
    std::vector<std::uint8_t> bytes;
    if (const int error = file.readToEnd(bytes, kMaxHelpFileSize); error != 0)
        return failed(error);
    return bytes;
}

} // namespace

Result<HelpBook> LoadHelpBook(const QString& path)
{
    const std::string prefix = files::DisplayPath(path).toStdString() + ": ";
    Result<std::vector<std::uint8_t>> bytes = ReadHelpBytes(files::ToNativePath(path));
    if (!bytes)
        return Failure { prefix + bytes.message() };
    Result<HelpFile> file = ParseHelpFile(*bytes);
    if (!file)
        return Failure { prefix + file.message() };
    return HelpBook(std::move(*file));
}

} // namespace glyphor::help
