// The help window as a user meets it: the topics and one topic by number,
// links and Back, the index with type-to-find, the find, its own messages
// for a help file that cannot be had and a topic it lacks, and one window
// for every request.

#include "help/HelpWindow.h"
#include "help/HelpService.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>

#include <sys/stat.h>

using namespace glyphor::help;

namespace {

const QByteArray kHelp
    = "%glyphor2-help 1\n%title Test Help\n"
      "%topic 1 Contents\n%keywords contents\nGo to [the tree scan](topic:6) or "
      "[removal](topic:11).\n"
      "%topic 6 Scan Tree\n%keywords scan tree; searching\nScan Tree walks every folder below.\n"
      "%topic 11 Delete Dir\n%keywords delete dir; removing a folder\nRemoves an empty folder.\n"
      "%end\n";

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Clicks the link to href where the topic shows it.
void ClickLink(QTextBrowser* browser, const QString& href)
{
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().anchorHref() != href)
                continue;
            QTextCursor cursor(browser->document());
            cursor.setPosition(fragment.position() + 1);
            QTest::mouseClick(
                browser->viewport(), Qt::LeftButton, {}, browser->cursorRect(cursor).center());
            return;
        }
    }
    QFAIL(qPrintable("no link to " + href));
}

int CurrentContext(const QListWidget* list)
{
    return list->currentItem() ? list->currentItem()->data(Qt::UserRole).toInt() : -1;
}

} // namespace

class HelpWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_file = m_dir.filePath("Glyphr.hlp");
        Write(m_file, kHelp);
    }

    void topicsShowTheContentsAndTheFirstTopic()
    {
        HelpWindow window(m_file);
        window.showHelp({ HelpCommand::Finder, 0 });
        QVERIFY(window.isVisible());
        QCOMPARE(window.windowTitle(), QString("Test Help"));
        QCOMPARE(window.navigation()->currentIndex(), 0);
        QCOMPARE(window.contentsList()->count(), 3);
        QCOMPARE(window.currentTopic(), 1);
        QCOMPARE(CurrentContext(window.contentsList()), 1);
        // The topics again keep the topic on show.
        window.showHelp({ HelpCommand::Context, 11 });
        window.showHelp({ HelpCommand::Finder, 0 });
        QCOMPARE(window.currentTopic(), 11);
    }

    void escapeAndCtrlWCloseTheWindow_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<bool>("fromIndexEdit");
        QTest::newRow("Escape on the contents") << QKeyCombination(Qt::Key_Escape) << false;
        QTest::newRow("Ctrl+W on the contents") << (Qt::CTRL | Qt::Key_W) << false;
        QTest::newRow("Escape while typing in the index")
            << QKeyCombination(Qt::Key_Escape) << true;
    }

    void escapeAndCtrlWCloseTheWindow()
    {
        QFETCH(QKeyCombination, key);
        QFETCH(bool, fromIndexEdit);
        HelpWindow window(m_file);
        window.showHelp({ HelpCommand::Finder, 0 });
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QWidget* focus = window.contentsList();
        if (fromIndexEdit) {
            window.navigation()->setCurrentIndex(1);
            focus = window.indexEdit();
            focus->setFocus();
            QTest::keyClicks(focus, "sc");
        }
        QTest::keyClick(focus, key.key(), key.keyboardModifiers());
        QVERIFY(!window.isVisible());
        // The next request opens it again, on the topic it showed.
        window.showHelp({ HelpCommand::Finder, 0 });
        QVERIFY(window.isVisible());
        QCOMPARE(window.currentTopic(), 1);
    }

    void firstSizeFitsTheScreen_data()
    {
        QTest::addColumn<QSize>("available");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("a screen with room") << QSize(1920, 1040) << QSize(800, 560);
        QTest::newRow("1024 x 768 at scale 2") << QSize(512, 364) << QSize(461, 328);
        QTest::newRow("narrow but tall") << QSize(700, 2000) << QSize(630, 560);
        QTest::newRow("no screen known") << QSize() << QSize(800, 560);
    }

    void firstSizeFitsTheScreen()
    {
        QFETCH(QSize, available);
        QFETCH(QSize, expected);
        QCOMPARE(HelpWindow::FirstSize(QSize(800, 560), available), expected);
    }

    void screenReadersSeeAWindowNamedByItsTitle()
    {
        HelpWindow window(m_file);
        window.showHelp({ HelpCommand::Finder, 0 });
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&window);
        QVERIFY(face);
        QCOMPARE(face->role(), QAccessible::Window);
        QCOMPARE(face->text(QAccessible::Name), QString("Test Help"));
    }

    void linksLeadToTopicsAndBackReturns()
    {
        HelpWindow window(m_file);
        window.showHelp({ HelpCommand::Context, 1 });
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ClickLink(window.browser(), "topic:6");
        QCOMPARE(window.currentTopic(), 6);
        QVERIFY(window.browser()->toPlainText().startsWith(
            "Scan Tree\nScan Tree walks every folder below."));
        QCOMPARE(CurrentContext(window.contentsList()), 6);
        window.browser()->backward();
        QCOMPARE(window.currentTopic(), 1);
    }

    void indexFindsAsYouType()
    {
        HelpWindow window(m_file);
        window.showHelp({ HelpCommand::Finder, 0 });
        window.navigation()->setCurrentIndex(1);
        QTest::keyClicks(window.indexEdit(), "REM");
        QCOMPARE(window.indexList()->currentItem()->text(), QString("removing a folder"));
        QTest::keyClick(window.indexEdit(), Qt::Key_Return);
        QCOMPARE(window.currentTopic(), 11);
    }

    void findListsTopicsWithEveryWordAndMarksThem()
    {
        HelpWindow window(m_file);
        window.showHelp({ HelpCommand::Finder, 0 });
        window.navigation()->setCurrentIndex(2);
        QTest::keyClicks(window.findEdit(), "folder");
        QCOMPARE(window.findList()->count(), 2);
        QTest::keyClicks(window.findEdit(), " every");
        QCOMPARE(window.findList()->count(), 1);
        QTest::keyClick(window.findEdit(), Qt::Key_Return);
        QCOMPARE(window.currentTopic(), 6);
        // "folder" and "every" once each in the body.
        QCOMPARE(window.browser()->extraSelections().size(), 2);
    }

    void missingTopicAndFileAreReportedInTheWindow()
    {
        HelpWindow window(m_file);
        window.showHelp({ HelpCommand::Context, 42 });
        QVERIFY(window.isVisible());
        QCOMPARE(window.currentTopic(), 0);
        QVERIFY(window.browser()->toPlainText().contains("This help has no topic numbered 42."));
        window.showHelp({ HelpCommand::Context, 0 });
        QVERIFY(window.browser()->toPlainText().contains("There is no help topic for this item."));
        // Back leads from a message to the topic before it.
        window.showHelp({ HelpCommand::Context, 6 });
        window.showHelp({ HelpCommand::Context, 99 });
        window.browser()->backward();
        QCOMPARE(window.currentTopic(), 6);

        const QString missing = m_dir.filePath("elsewhere/Glyphr.hlp");
        HelpWindow lost(missing);
        lost.showHelp({ HelpCommand::Finder, 0 });
        QVERIFY(lost.isVisible());
        const QString page = lost.browser()->toPlainText();
        QVERIFY2(page.contains("The help file could not be read.")
                && page.contains(missing + ": No such file or directory"),
            qPrintable(page));
        QCOMPARE(lost.contentsList()->count(), 0);
        // Once the file is there, the next request reads it.
        QDir(m_dir.path()).mkpath("elsewhere");
        Write(missing, kHelp);
        lost.showHelp({ HelpCommand::Context, 11 });
        QCOMPARE(lost.currentTopic(), 11);
        QCOMPARE(lost.contentsList()->count(), 3);
    }

    void oneWindowServesEveryRequest()
    {
        int before = 0;
        const HelpHandler previous = SetHelpHandler([&](const HelpRequest&) { ++before; });
        {
            HelpService service(m_file);
            RequestHelp(HelpCommand::Context, 6);
            HelpWindow* window = service.window();
            QVERIFY(window && window->isVisible());
            window->showMinimized();
            window->close();
            RequestHelp(HelpCommand::Context, 11);
            RequestHelp(HelpCommand::Finder);
            QCOMPARE(service.window(), window);
            QVERIFY(window->isVisible() && !window->isMinimized());
            QCOMPARE(window->currentTopic(), 11);
            int windows = 0;
            for (QWidget* w : QApplication::topLevelWidgets())
                windows += qobject_cast<HelpWindow*>(w) != nullptr;
            QCOMPARE(windows, 1);
        }
        // The handler before the service is back.
        RequestHelp(HelpCommand::Finder);
        QCOMPARE(before, 1);
        SetHelpHandler(previous);
    }

    // The worst topics a help file can hold render, each cut to what the
    // window shows: the page opens with the note, and no more links are
    // made than the window shows.
    void worstTopicsRenderInPart_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("links"); // link texts are one letter each
        QTest::addColumn<QString>("shows");
        QTest::newRow("80,000 links")
            << QByteArray("[a](topic:1)").repeated(80000) << 100 << QString(100, 'a');
        QTest::newRow("a megabyte of *a_") << QByteArray("*a_").repeated(333000) << 0 << "a";
        QTest::newRow("700 KB of [") << QByteArray(700000, '[') << 0 << QString(500, '[');
        QTest::newRow("every mark in turn")
            << QByteArray("*_`~[<&\\|\t").repeated(50000) << 0 << "";
        QTest::newRow("table of 100,000 cells")
            << "| a | b |\n|---|---|\n" + QByteArray("| a | b |\n").repeated(50000) << 0 << "a";
        // Ten marks a line: 50 lines.
        QTest::newRow("lines of links")
            << QByteArray("- [a](topic:1) *b* `c` ~~d~~\n").repeated(30000) << 50 << "b";
    }
    void worstTopicsRenderInPart()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, links);
        QFETCH(QString, shows);
        const QString file = m_dir.filePath("worst.hlp");
        Write(file, "%glyphor2-help 1\n%topic 1 Worst\n" + body + "\n%end\n");
        HelpWindow window(file);
        window.showHelp({ HelpCommand::Context, 1 });
        QCOMPARE(window.currentTopic(), 1);
        window.browser()->document()->adjustSize(); // the whole page laid out
        const QString page = window.browser()->toPlainText();
        QVERIFY2(page.startsWith("Worst\nOnly the beginning of this topic is shown"),
            qPrintable(page.left(200)));
        QVERIFY(page.contains(shows));
        QCOMPARE(LinkedCharacters(window.browser()), links);
    }

    // A run of combining marks on one letter is shown as one U+FFFD.
    void aLetterWithThousandsOfMarksRendersAsOne()
    {
        const QString file = m_dir.filePath("marks.hlp");
        Write(file,
            "%glyphor2-help 1\n%topic 1 Marks\nx e" + QByteArray("\xCC\x81").repeated(7000)
                + " y\n%end\n");
        HelpWindow window(file);
        window.showHelp({ HelpCommand::Context, 1 });
        QCOMPARE(window.browser()->toPlainText(), QString("Marks\nx \uFFFD y"));
    }

    // Pictures come from regular files beside the help file only; anything
    // else is left out, never opened the way that waits or never ends (the
    // current folder is the help's, where the toolkit would look for a
    // picture it was not given).
    void picturesComeOnlyFromFilesBesideTheHelp()
    {
        const QString before = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        const auto back = qScopeGuard([&] { QDir::setCurrent(before); });
        QImage red(20, 10, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(m_dir.filePath("red.png")));
        QImage wide(2049, 1, QImage::Format_RGB32);
        wide.fill(Qt::red);
        QVERIFY(wide.save(m_dir.filePath("wide.png")));
        const std::string fifo = QFile::encodeName(m_dir.filePath("fifo.png")).toStdString();
        QVERIFY(::mkfifo(fifo.c_str(), 0600) == 0);
        QVERIFY(QFile::link("/dev/zero", m_dir.filePath("zero.png")));
        Write(m_dir.filePath("Glyphr.hlp"),
            "%glyphor2-help 1\n%topic 1 Pictures\n"
            "![red](red.png) ![fifo](fifo.png) ![zero](zero.png) ![dev](/dev/zero)\n"
            "![url](file:///dev/zero) ![up](../fifo.png) ![wide](wide.png)\n%end\n");
        for (const char* refused : { "fifo.png: not a regular file", "zero.png: not in the help",
                 "/dev/zero: not in the help", "dev/zero: not in the help",
                 "fifo.png: not in the help", "wide.png: larger than 2048 x 2048 pixels" })
            QTest::ignoreMessage(
                QtWarningMsg, QRegularExpression(QRegularExpression::escape(refused)));
        HelpWindow window(m_file);
        window.showHelp({ HelpCommand::Context, 1 });
        QCOMPARE(window.currentTopic(), 1);
        QTextBrowser* browser = window.browser();
        browser->resize(400, 300);
        QImage page(browser->viewport()->size(), QImage::Format_RGB32);
        browser->viewport()->render(&page);
        int redPixels = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                redPixels += page.pixel(x, y) == qRgb(255, 0, 0);
        QCOMPARE(redPixels, 20 * 10);
    }

private:
    // The characters of links on the page shown (side by side, links with
    // the same target make one run of text).
    static int LinkedCharacters(const QTextBrowser* browser)
    {
        int count = 0;
        for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next())
            for (auto it = block.begin(); !it.atEnd(); ++it)
                if (it.fragment().charFormat().isAnchor())
                    count += it.fragment().length();
        return count;
    }

    QTemporaryDir m_dir;
    QString m_file;
};

QTEST_MAIN(HelpWindowTest)

#include "HelpWindowTest.moc"
