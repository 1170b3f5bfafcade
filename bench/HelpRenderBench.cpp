// The help window's rendering of the worst topics a help file can hold,
// offscreen, next to the longest topic of the shipped help. Each worst topic
// fills what the window shows of a topic (HelpFile.h: its bytes, marks and
// links) with one construct of Markdown, the costliest for the renderer;
// those given more than that are cut by the window. A topic is timed from the
// request to the whole page laid out and painted, best of several rounds.
//
//   help_render_bench [SHIPPED_HELP] [ROUNDS]

#include "help/HelpFile.h"
#include "help/HelpPicture.h"
#include "help/HelpWindow.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace glyphor::help;

namespace {

struct Worst {
    const char* name;
    std::string body;
};

// piece again and again, as many times as the window shows of a topic,
// bytes and marks both counted (with the line end that ends the body); the
// rest of the bytes plain words.
// A "#" in piece stands for the number of the piece, counted from 0.
std::string Filled(const std::string& piece, const std::string& head = {})
{
    const auto fits = [](const std::string& body) {
        const std::string whole = body + "\n";
        return whole.size() <= kMaxShownTopicBytes && MarkdownMarks(whole) <= kMaxShownTopicMarks
            && TopicLinkCount(whole) <= kMaxShownTopicLinks;
    };
    const auto numbered = [&piece](int n) {
        std::string out = piece;
        if (const std::size_t at = out.find('#'); at != std::string::npos)
            out.replace(at, 1, std::to_string(n));
        return out;
    };
    std::string body = head;
    for (int n = 0; fits(body + numbered(n)); ++n)
        body += numbered(n);
    while (fits(body + " xy"))
        body += " xy";
    if (ShownLength(body + "\n") != body.size() + 1)
        std::abort(); // the window would not show it whole
    return body;
}

std::string Repeated(const std::string& piece, std::size_t times)
{
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

std::vector<Worst> WorstTopics()
{
    return {
        { "code spans", Filled("`x` ") },
        { "reference links", Filled("[a] ", "[a]: topic:1\n\n") },
        { "topic links", Filled("[x](topic:1) ") },
        { "strike-through", Filled("~x~ ") },
        { "autolinks", Filled("<http://a> ") },
        { "emphasis", Filled("*x* ") },
        { "list items", Filled("- x\n") },
        { "task list", Filled("- [ ] x\n") },
        { "table cells", Filled("|a|a|a|a|\n", "|a|a|a|a|\n|-|-|-|-|\n") },
        { "headings", Filled("# x\n") },
        { "paragraphs", Filled("x\n\n") },
        { "escapes", Filled("\\. ") },
        { "entities", Filled("&amp;") },
        { "pictures, none there", Filled("![p](p#.png)") },
        { "pictures of the largest size", Filled("![p](big#.png)") },
        { "one long line", std::string(kMaxShownTopicBytes, 'x') },
        { "combining marks", "e" + Repeated("\xCC\x81", 8000) },
        // What the window cuts: a megabyte of each.
        { "80,000 links, cut", Repeated("[a](topic:1)", 80000) },
        { "1 MB of *a_, cut", Repeated("*a_", 333000) },
        { "700 KB of [, cut", std::string(700000, '[') },
    };
}

// A help file of two topics: a short one (1) and `body` (2).
QString WriteHelp(
    const QTemporaryDir& dir, int number, const std::string& title, const std::string& body)
{
    const QString path = dir.filePath(QStringLiteral("help%1.hlp").arg(number));
    const std::string text = std::string(kHelpFileHeader) + "\n%topic 1 Short\nShort.\n%topic 2 "
        + title + "\n" + body + "\n%end\n";
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(text.data(), qint64(text.size())) < 0)
        return {};
    return path;
}

// The time from the request of topic `context` to the whole page laid out
// and painted, in milliseconds, best of rounds; topic `other` is shown
// between rounds so that each request renders afresh. Negative when the
// topic is not shown.
double RenderMs(const QString& helpFile, int context, int other, int rounds)
{
    HelpWindow window(helpFile);
    window.resize(800, 560);
    window.showHelp({ HelpCommand::Finder, 0 });
    double best = 1e300;
    QImage page(window.browser()->viewport()->size(), QImage::Format_RGB32);
    for (int round = 0; round < rounds; ++round) {
        window.showHelp({ HelpCommand::Context, other });
        QElapsedTimer timer;
        timer.start();
        window.showHelp({ HelpCommand::Context, context });
        window.browser()->document()->documentLayout()->documentSize();
        window.browser()->document()->adjustSize();
        window.browser()->viewport()->render(&page);
        best = std::min(best, timer.nsecsElapsed() / 1e6);
        if (window.currentTopic() != context)
            return -1;
    }
    return best;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString shipped
        = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(G2_SHIPPED_HELP);
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    // The shipped help's longest topic.
    QFile file(shipped);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "help_render_bench: %s: %s\n", qPrintable(shipped),
            qPrintable(file.errorString()));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    const auto parsed = ParseHelpFile(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), std::size_t(bytes.size())));
    if (!parsed) {
        std::fprintf(
            stderr, "help_render_bench: %s: %s\n", qPrintable(shipped), parsed.message().c_str());
        return 1;
    }
    const HelpTopic& longest = *std::max_element(parsed->topics.begin(), parsed->topics.end(),
        [](const HelpTopic& a, const HelpTopic& b) { return a.body.size() < b.body.size(); });

    // The largest pictures a topic shows, as many as it tries, beside the
    // help files.
    QTemporaryDir dir;
    QImage big(kMaxHelpPictureSide, kMaxHelpPictureSide, QImage::Format_RGB32);
    for (int y = 0; y < big.height(); ++y)
        for (int x = 0; x < big.width(); ++x)
            big.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF));
    for (int i = 0; i < kMaxHelpPicturesPerTopic; ++i)
        if (!big.save(dir.filePath(QStringLiteral("big%1.png").arg(i)))) {
            std::fprintf(stderr, "help_render_bench: cannot write the pictures\n");
            return 1;
        }
    const int other = longest.context == parsed->topics.front().context
        ? parsed->topics.back().context
        : parsed->topics.front().context;
    const double floorMs = RenderMs(shipped, longest.context, other, rounds);
    if (floorMs < 0) {
        std::fprintf(stderr, "help_render_bench: the shipped topic was not shown\n");
        return 1;
    }
    std::printf("help window, whole page laid out and painted, best of %d\n", rounds);
    std::printf("(the largest pictures: %d x %d pixels, %lld bytes each)\n", kMaxHelpPictureSide,
        kMaxHelpPictureSide, QFileInfo(dir.filePath(QStringLiteral("big0.png"))).size());
    std::printf(
        "%-34s %8.1f ms  (%zu bytes)\n", "longest shipped topic", floorMs, longest.body.size());
    double worstMs = 0;
    const std::vector<Worst> worst = WorstTopics();
    for (std::size_t i = 0; i < worst.size(); ++i) {
        const double ms
            = RenderMs(WriteHelp(dir, int(i) + 1, worst[i].name, worst[i].body), 2, 1, rounds);
        if (ms < 0) {
            std::fprintf(stderr, "help_render_bench: \"%s\" was not shown\n", worst[i].name);
            return 1;
        }
        worstMs = std::max(worstMs, ms);
        std::printf("%-34s %8.1f ms  %6.1f x\n", worst[i].name, ms, ms / floorMs);
    }
    std::printf("slowest worst topic: %.1f ms (target: well under 1000 ms)\n", worstMs);
    return worstMs < 1000 ? 0 : 1;
}
