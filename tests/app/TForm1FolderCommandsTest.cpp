// The destination group's folder commands, Create Dir, Delete Dir and View
// Dir, and the lives of the viewer windows the main window makes.
#include "AnswerBoxes.h"
#include "AppTestMain.h"
#include "app/TForm1.h"
#include "app/TForm1Host.h"
#include "browse/TDirectoryListBox.h"
#include "browse/TFileListBox.h"
#include "kit/NativeFiles.h"
#include "tests/viewer/NumberedIcons.h"
#include "viewer/TfrmView.h"
#include "viewer/ViewerItems.h"

#include <QAction>
#include <QDir>
#include <QInputDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace glyphor;

namespace {

struct SeenInput {
    int shown = 0;
    QString title;
    QString label;
    QString text;
    int maxLength = 0;
};

// Answers the text input box: types text and presses OK, or presses Cancel
// when text is null.
void AnswerInput(QTimer& timer, SeenInput& seen, const QString& text)
{
    OnModal<QInputDialog>(timer, [&seen, text](QInputDialog* dialog) {
        ++seen.shown;
        seen.title = dialog->windowTitle();
        seen.label = dialog->labelText();
        seen.text = dialog->textValue();
        if (auto* edit = dialog->findChild<QLineEdit*>())
            seen.maxLength = edit->maxLength();
        if (text.isNull()) {
            dialog->reject();
            return;
        }
        dialog->setTextValue(text);
        dialog->accept();
    });
}

QStringList FolderEntries(TForm1& form)
{
    QStringList out;
    for (const auto& entry : form.DirectoryListBox2->directoryModel()->entries())
        out << entry.text;
    return out;
}

// The viewer windows there are, shown or not.
QList<TfrmView*> Viewers()
{
    QList<TfrmView*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* view = qobject_cast<TfrmView*>(w))
            out << view;
    return out;
}

} // namespace

class TForm1FolderCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_root = kit::PathOf(m_dir);
        QDir(m_root).removeRecursively();
        QDir().mkpath(m_root + "/dest");
        QDir::setCurrent(m_root);
    }

    void createDir_data()
    {
        QTest::addColumn<QString>("typed"); // null: Cancel
        QTest::addColumn<QString>("goesTo"); // under dest; null: stays
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("new folder")
            << "New"
            << "/New" << QStringList { "Information: New directory created" };
        // Taken as typed: the blank stays part of the name.
        QTest::newRow("trailing blank")
            << "Pics "
            << "/Pics " << QStringList { "Information: New directory created" };
        QTest::newRow("cancel") << QString() << QString() << QStringList {};
        QTest::newRow("existing name")
            << "Old"
            << "/Old" << QStringList { "Warning: Cannot create directory" };
        QTest::newRow("under a missing folder")
            << "missing/New" << QString()
            << QStringList { "Warning: Cannot create directory",
                   "Glyphor 2 - a Tarnwell utility: No such file or directory." };
    }
    void createDir()
    {
        QFETCH(QString, typed);
        QFETCH(QString, goesTo);
        QFETCH(QStringList, boxes);
        QDir().mkpath(m_root + "/dest/Old");
        TForm1 form;
        form.show();
        form.DirectoryListBox2->setDirectory(m_root + "/dest");

        QTimer input, answer;
        SeenInput asked;
        SeenBox seen;
        AnswerInput(input, asked, typed);
        AnswerBoxes(answer, seen);
        form.Button2->click();

        QCOMPARE(asked.shown, 1);
        QCOMPARE(asked.title, QString("Create Directory"));
        QCOMPARE(asked.label, QString(m_root + "/dest"));
        QCOMPARE(asked.text, QString());
        QCOMPARE(asked.maxLength, 255);
        QCOMPARE(seen.history, boxes);
        if (!boxes.isEmpty())
            QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        const QString expected = m_root + "/dest" + goesTo;
        QCOMPARE(form.DirectoryListBox2->directory(), expected);
        QCOMPARE(form.FileListBox2->directory(), expected);
        QVERIFY(QFileInfo(expected).isDir());
        // Nothing else was made.
        QStringList made = QDir(m_root + "/dest").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        made.removeOne("Old");
        QCOMPARE(made,
            goesTo.isNull() || goesTo == "/Old" ? QStringList {} : QStringList { goesTo.mid(1) });
    }

    void deleteDir_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("withIcon");
        QTest::addColumn<bool>("cwdElsewhere");
        QTest::addColumn<QString>("box");
        QTest::newRow("empty folder")
            << "Empty" << false << false << "Information: %1 Directory removed";
        QTest::newRow("folder holding an icon file")
            << "Full" << true << false << "Warning: %1 Cannot remove directory";
        // The source list has moved the process's current directory since.
        QTest::newRow("current directory elsewhere")
            << "Empty" << false << true << "Information: %1 Directory removed";
    }
    void deleteDir()
    {
        QFETCH(QString, folder);
        QFETCH(bool, withIcon);
        QFETCH(bool, cwdElsewhere);
        QFETCH(QString, box);
        const QString path = m_root + "/dest/" + folder;
        QDir().mkpath(path);
        QDir().mkpath(m_root + "/source/deeper");
        if (withIcon)
            test::WriteNumberedIcons(path, test::IconNames(1));
        TForm1 form;
        form.show();
        form.DirectoryListBox2->setDirectory(path);
        if (cwdElsewhere)
            form.DirectoryListBox1->setDirectory(m_root + "/source/deeper");

        QTimer answer;
        SeenBox seen;
        AnswerBoxes(answer, seen);
        form.Button3->click();

        QCOMPARE(seen.history, QStringList { box.arg(path) });
        QCOMPARE(form.DirectoryListBox2->directory(), m_root + "/dest");
        QCOMPARE(form.FileListBox2->directory(), m_root + "/dest");
        QCOMPARE(QFileInfo(path).isDir(), withIcon);
        // The parent's listing is read again: a removed folder's entry goes.
        QCOMPARE(FolderEntries(form).contains(folder), withIcon);
        if (withIcon)
            QCOMPARE(QDir(path).entryList(QDir::Files), QStringList { "Icon0000.ico" });
    }

    void startUpMakesOneHiddenViewer()
    {
        QVERIFY(Viewers().isEmpty());
        {
            TForm1 form;
            form.show();
            QCOMPARE(Viewers().size(), 1);
            TfrmView* viewer = form.currentViewer();
            QVERIFY(viewer);
            QVERIFY(viewer->isHidden());
            QTest::qWait(20);
            QCOMPARE(viewer->loadState(), LoadState::NotStarted);
        }
        // It goes with the main window.
        QVERIFY(Viewers().isEmpty());
    }

    // Each press makes another window and the current one; the earlier
    // window on screen stays as it was (the hidden one of the start goes),
    // and the main window takes the current one's icon when a merge begins.
    void viewDirTwiceGivesTwoWindows()
    {
        test::WriteNumberedIcons(m_root + "/dest", test::IconNames(5));
        TForm1 form;
        form.show();
        form.DirectoryListBox2->setDirectory(m_root + "/dest");
        form.Button5->click();
        TfrmView* first = form.currentViewer();
        QTRY_COMPARE(first->loadState(), LoadState::LoadEnded);
        form.Button5->click();
        TfrmView* second = form.currentViewer();
        QTRY_COMPARE(second->loadState(), LoadState::LoadEnded);

        QVERIFY(first != second);
        QVERIFY(first->isVisible() && second->isVisible());
        QCOMPARE(Viewers().size(), 2); // the hidden one of the start is gone
        QCOMPARE(first->Items->imageCount(), 5);
        QCOMPARE(second->panelText(0), QString("Icons :5"));

        QPixmap mark(16, 16);
        mark.fill(Qt::red);
        second->setWindowIcon(QIcon(mark));
        TForm1Host(form).showViewerIcon();
        QCOMPARE(form.windowIcon().cacheKey(), second->windowIcon().cacheKey());
    }

    // Which viewers a press of View Dir and a close free, and which stay:
    // each holds a picture of every icon of its folder.
    void viewersThatAreClosedOrReplacedUnseenAreFreed_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<bool>("firstStays");
        QTest::newRow("the hidden one of the start, replaced") << "start" << false;
        QTest::newRow("one on screen, replaced") << "replace shown" << true;
        QTest::newRow("the current one, closed") << "close current" << false;
        QTest::newRow("an earlier one, closed") << "close earlier" << false;
    }
    void viewersThatAreClosedOrReplacedUnseenAreFreed()
    {
        QFETCH(QString, step);
        QFETCH(bool, firstStays);
        test::WriteNumberedIcons(m_root + "/dest", test::IconNames(5));
        TForm1 form;
        form.show();
        form.DirectoryListBox2->setDirectory(m_root + "/dest");
        if (step != "start") {
            form.Button5->click();
            QTRY_COMPARE(form.currentViewer()->loadState(), LoadState::LoadEnded);
        }
        QPointer<TfrmView> first = form.currentViewer();
        TfrmView* current = first;
        if (step == "close current") {
            first->close();
            current = nullptr;
        } else {
            form.Button5->click();
            current = form.currentViewer();
            QTRY_COMPARE(current->loadState(), LoadState::LoadEnded);
            if (step == "close earlier")
                first->close();
        }
        // Destroyed once control is back in the event loop.
        QTest::qWait(10);
        QCOMPARE(!first.isNull(), firstStays);
        QCOMPARE(form.currentViewer(), current);
        QCOMPARE(Viewers().size(), int(firstStays) + int(current != nullptr));
    }

    // A viewer that destroyed itself is the current one no more: neither the
    // merge nor the main window's close touches it again.
    void aViewerThatDestroyedItselfIsNotTouchedAgain()
    {
        TForm1 form;
        form.show();
        const qint64 icon = form.windowIcon().cacheKey();
        form.Button5->click();
        QPointer<TfrmView> viewer = form.currentViewer();
        QTRY_COMPARE(viewer->Close2->text(), QString("&Close"));
        viewer->Close2->trigger();
        QCOMPARE(form.currentViewer(), nullptr);
        TForm1Host(form).showViewerIcon();
        QCOMPARE(form.windowIcon().cacheKey(), icon);
        QTRY_VERIFY(!viewer);
        QVERIFY(form.close());
    }

    // The main window closes inside a pump of a viewer's load, in the
    // application's own event loop: the loads end there, the viewers go
    // without being used again (the sanitizer build of the GUI sees any
    // use), and the application ends rather than wait for a load.
    void closingTheMainWindowDuringALoadEndsTheApplication()
    {
        test::WriteNumberedIcons(m_root + "/dest", test::IconNames(200));
        TForm1 form;
        form.show();
        form.DirectoryListBox2->setDirectory(m_root + "/dest");
        QList<QPointer<TfrmView>> viewers;
        QStringList pumps; // "viewer:images"
        QTimer::singleShot(0, [&] {
            form.Button5->click();
            form.Button5->click(); // an earlier viewer loads too, further down the stack
            for (TfrmView* v : Viewers()) {
                viewers << v;
                connect(
                    v, &TfrmView::pumping, [&, name = QString::number(viewers.size())](int images) {
                        pumps << name + ":" + QString::number(images);
                        if (images == 60)
                            form.close();
                    });
            }
        });
        QTimer::singleShot(20000, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(form.isHidden());
        QVERIFY(std::none_of(viewers.begin(), viewers.end(), [](const auto& v) { return v; }));
        // Both loads were running, the second inside the first's activation
        // pump, and no pump came after the close: each load left at once.
        QCOMPARE(pumps.size(), 4);
        QVERIFY(pumps[0].section(':', 0, 0) != pumps[1].section(':', 0, 0));
        QVERIFY(pumps.last().endsWith(":60"));
    }

private:
    kit::ScratchFolder m_dir;
    QString m_root;
};

G2_APP_TEST_MAIN(TForm1FolderCommandsTest)

#include "TForm1FolderCommandsTest.moc"
