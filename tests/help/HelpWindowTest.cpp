// The help window as a user meets it: the topics and one topic by number,
// links and Back, the index with type-to-find, the find, its own messages
// for a help file that cannot be had and a topic it lacks, and one window
// for every request.

#include "help/HelpWindow.h"
#include "help/HelpService.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>

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

private:
    QTemporaryDir m_dir;
    QString m_file;
};

QTEST_MAIN(HelpWindowTest)

#include "HelpWindowTest.moc"
