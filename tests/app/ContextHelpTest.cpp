// The ways into the help, as a user takes them: "Whats This?" on the six
// buttons after a right-click, F1 with and without a menu open in the main
// window and in a window built like the icon viewer, and the help file found
// from another folder. The requests are recorded at the help seam; the last
// test follows one into the real help window.

#include "AppTestMain.h"
#include "app/TForm1.h"
#include "help/HelpBook.h"
#include "help/HelpService.h"
#include "help/HelpWindow.h"

#include <QDir>
#include <QGroupBox>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

using namespace glyphor;
using help::HelpCommand;
using help::HelpRequest;

namespace {

// Records every help request while it exists.
class Recorder {
public:
    Recorder()
        : m_previous(help::SetHelpHandler([this](const HelpRequest& r) { requests.push_back(r); }))
    {
    }
    ~Recorder() { help::SetHelpHandler(std::move(m_previous)); }
    std::vector<HelpRequest> requests;

private:
    help::HelpHandler m_previous;
};

QPoint Centre(QWidget& window, QWidget* control)
{
    return control->mapTo(&window, control->rect().center());
}

// A right-click on the button through the window, as the mouse gives it,
// then a click on "Whats This?" in the popup menu that opens.
void WhatsThisOn(TForm1& form, QPushButton* button)
{
    QTest::mouseClick(form.windowHandle(), Qt::RightButton, {}, Centre(form, button));
    QTRY_VERIFY(form.PopupMenu1->isVisible());
    QTest::mouseClick(form.PopupMenu1, Qt::LeftButton, {},
        form.PopupMenu1->actionGeometry(form.WhatsThis1).center());
    QTRY_VERIFY(!form.PopupMenu1->isVisible());
}

// Opens the menu, highlights the entry and presses F1 where the key goes
// while a menu is open: to the menu.
void F1OnEntry(QMenu* menu, QAction* entry)
{
    menu->popup(QPoint(100, 100));
    QTRY_VERIFY(QApplication::activePopupWidget() == menu);
    menu->setActiveAction(entry);
    QTest::keyClick(menu, Qt::Key_F1);
}

// A window made as the icon viewer makes its menus: entries that carry
// their help context, and a Help entry on F1 that asks for the topics.
class ViewerLike : public QMainWindow {
public:
    ViewerLike()
    {
        QMenu* file = menuBar()->addMenu("&File");
        stop = file->addAction("&Stop");
        stop->setProperty("helpContext", 15);
        file->addSeparator();
        file->addAction("&Refresh")->setShortcut(Qt::Key_F5);
        QMenu* edit = menuBar()->addMenu("&Edit");
        edit->addAction("&Copy File Name")->setProperty("helpContext", 13);
        edit->addAction("&Explore Directory")->setProperty("helpContext", 14);
        QAction* help = menuBar()->addMenu("&Help")->addAction("&Help");
        help->setShortcut(Qt::Key_F1);
        connect(help, &QAction::triggered, [] { help::RequestHelp(HelpCommand::Finder); });
        fileMenu = file;
        setCentralWidget(new QPushButton("list"));
    }
    QMenu* fileMenu;
    QAction* stop;
};

} // namespace

class ContextHelpTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QDir::setCurrent(QDir::tempPath()); }

    void whatsThisGivesTheButtonsTopic_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("context");
        QTest::newRow("View Dir") << "Button5" << 12;
        QTest::newRow("Save Icon") << "Button6" << 5;
        QTest::newRow("Scan File") << "Button4" << 5;
        QTest::newRow("Scan Tree") << "Button1" << 6;
        QTest::newRow("Create Dir") << "Button2" << 10;
        QTest::newRow("Delete Dir") << "Button3" << 11;
    }
    void whatsThisGivesTheButtonsTopic()
    {
        QFETCH(QString, button);
        QFETCH(int, context);
        Recorder recorder;
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto* target = form.findChild<QPushButton*>(button);
        WhatsThisOn(form, target);
        QCOMPARE(form.focusWidget(), static_cast<QWidget*>(target));
        QCOMPARE(
            recorder.requests, (std::vector<HelpRequest> { { HelpCommand::Context, context } }));
    }

    void anyMouseButtonOverAButtonFocusesIt()
    {
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::mouseClick(form.windowHandle(), Qt::MiddleButton, {}, Centre(form, form.Button3));
        QCOMPARE(form.focusWidget(), static_cast<QWidget*>(form.Button3));
        QTest::mouseClick(form.windowHandle(), Qt::MiddleButton, {}, Centre(form, form.Button6));
        QCOMPARE(form.focusWidget(), static_cast<QWidget*>(form.Button6));
    }

    void f1InTheMainWindow()
    {
        Recorder recorder;
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        // No menu open: the topics, not the topic of the focused button.
        form.Button1->setFocus();
        QTest::keyClick(form.Button1, Qt::Key_F1);
        // A highlighted entry: its topic; the menu closes.
        F1OnEntry(form.Help1, form.Help2);
        QVERIFY(!form.Help1->isVisible());
        F1OnEntry(form.Help1, form.About1);
        // The same with the popup of the buttons.
        F1OnEntry(form.PopupMenu1, form.WhatsThis1);
        QCOMPARE(recorder.requests,
            (std::vector<HelpRequest> { { HelpCommand::Finder, 0 }, { HelpCommand::Context, 1 },
                { HelpCommand::Context, 0 }, { HelpCommand::Context, 0 } }));
    }

    void f1InAWindowBuiltLikeTheViewer()
    {
        Recorder recorder;
        ViewerLike viewer;
        viewer.show();
        QVERIFY(QTest::qWaitForWindowActive(&viewer));
        F1OnEntry(viewer.fileMenu, viewer.stop);
        QTest::keyClick(&viewer, Qt::Key_F1);
        // An open menu with nothing highlighted leaves F1 to the window.
        viewer.fileMenu->popup(QPoint(100, 100));
        QTRY_VERIFY(viewer.fileMenu->isVisible());
        viewer.fileMenu->setActiveAction(nullptr);
        QTest::keyClick(viewer.fileMenu, Qt::Key_F1);
        viewer.fileMenu->close();
        QCOMPARE(recorder.requests.size(), 2u);
        QCOMPARE(recorder.requests[0], (HelpRequest { HelpCommand::Context, 15 }));
        QCOMPARE(recorder.requests[1], (HelpRequest { HelpCommand::Finder, 0 }));
    }

    void whatsThisOpensTheTopicFromAnyStartingFolder()
    {
        // Started from a folder of its own, far from the executable.
        QTemporaryDir elsewhere;
        QDir::setCurrent(elsewhere.path());
        TForm1 form;
        QCOMPARE(form.helpFile(), help::FindHelpFile(QCoreApplication::applicationDirPath()));
        QVERIFY2(QFileInfo(form.helpFile()).isFile(), qPrintable(form.helpFile()));
        help::HelpService help(form.helpFile());
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        WhatsThisOn(form, form.Button5);
        QVERIFY(help.window() && help.window()->isVisible());
        QCOMPARE(help.window()->currentTopic(), 12);
        QVERIFY(help.window()->browser()->toPlainText().startsWith("View Dir\n"));
        // "Help Topics" brings the same window forward with the contents.
        form.Help2->trigger();
        QCOMPARE(help.window()->currentTopic(), 12);
        QCOMPARE(help.window()->navigation()->currentIndex(), 0);
    }
};

G2_APP_TEST_MAIN(ContextHelpTest)

#include "ContextHelpTest.moc"
