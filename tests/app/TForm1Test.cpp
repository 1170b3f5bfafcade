#include "app/TForm1.h"
#include "AnswerBoxes.h"
#include "AppTestMain.h"
#include "FormDriving.h"
#include "StickVolume.h"
#include "app/BusyAnimation.h"
#include "browse/TDirectoryListBox.h"
#include "browse/TDriveComboBox.h"
#include "browse/TFileListBox.h"
#include "controls/TIconComboBox.h"
#include "kit/NativeFiles.h"
#include "platform/FileSystem.h"
#include "platform/Volumes.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

using namespace glyphor;
using glyphor::test::ClickFile;

namespace {

// Picks the item of a drive list as the user would.
void PickVolume(TDriveComboBox* box, const QString& root)
{
    const int index = box->driveModel()->indexOfRoot(root);
    QVERIFY(index >= 0);
    box->driveModel()->pick(index);
}

} // namespace

class TForm1Test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_root = kit::PathOf(m_dir);
        // A folder of executables and one of icon files on the root volume,
        // and a second volume of our own that only one test visits.
        QDir(m_root).mkpath("exes/sub");
        QDir(m_root).mkpath("icons");
        kit::MakeFiles(m_root + "/exes", { "b.EXE", "a.dll", "notes.txt" });
        kit::MakeFiles(m_root + "/icons", { "Icon0001.ico", "Icon0000.ico", "readme.txt" });
        m_stick = m_stickVolume.path();
        kit::MakeFiles(m_stick, { "top.ico", "top.exe" });
    }

    // The browsers move the process's current directory; every test starts
    // from a folder that is sure to exist.
    void init() { QDir::setCurrent(m_root); }

    void windowIsFixedWithMinimizeOnly()
    {
        TForm1 form;
        QCOMPARE(form.windowTitle(), QString("Glyphor 2"));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
        // The client area below the menu bar; the title bar and frame are
        // drawn around it.
        QCOMPARE(form.centralWidget()->width(), kClientWidth);
        QCOMPARE(form.centralWidget()->height() + form.Label1->height(), kClientHeight);
        QCOMPARE(form.Label1->height(), kStatusBarHeight);
        QVERIFY(!form.Label1->isSizeGripEnabled());
        QCOMPARE(form.statusText(), QString("Ready."));
        QVERIFY(!form.windowIcon().isNull());
    }

    void controlsStartAsLaidOut()
    {
        TForm1 form;
        form.show();
        QVERIFY(!form.ListBox1->isVisible());
        QVERIFY(form.ListBox1->isSortingEnabled());
        QCOMPARE(form.GroupBox1->title(), QString("Source Drive"));
        QCOMPARE(form.GroupBox2->title(), QString("Destination Drive"));
        QCOMPARE(form.FileListBox1->mask(), QString("*.exe;*.dll"));
        QCOMPARE(form.FileListBox2->mask(), QString("*.ico"));
        QCOMPARE(form.IconComboBox1->geometry(), QRect(358, 16, 61, 44));
        QVERIFY(!form.IconComboBox1->isEnabled());
        QCOMPARE(form.IconComboBox1->currentIndex(), -1);
        // The scratch images lie under the picker.
        const auto children = form.GroupBox1->children();
        QVERIFY(children.indexOf(form.IconHolder) < children.indexOf(form.IconComboBox1));
        QVERIFY(children.indexOf(form.Image1) < children.indexOf(form.IconComboBox1));
        QVERIFY(form.Animate1->isHidden());
        QVERIFY(!form.Animate1->isActive());
        QCOMPARE(form.Animate1->stopFrame(), 23);
        QCOMPARE(form.Animate1->geometry(), QRect(366, 108, 48, 50));
        QCOMPARE(form.ImageList1.count(), 1);
    }

    void buttons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("helpContext");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("Scan Tree") << "Button1"
                                   << "Scan &Tree" << 6 << "GroupBox1" << QRect(358, 106, 62, 25);
        QTest::newRow("Scan File") << "Button4"
                                   << "Scan &File" << 5 << "GroupBox1" << QRect(358, 136, 62, 25);
        QTest::newRow("Save Icon") << "Button6"
                                   << "Save &Icon" << 5 << "GroupBox1" << QRect(358, 64, 62, 25);
        QTest::newRow("Create Dir") << "Button2"
                                    << "&Create Dir" << 10 << "GroupBox2" << QRect(358, 16, 62, 25);
        QTest::newRow("Delete Dir") << "Button3"
                                    << "&Delete Dir" << 11 << "GroupBox2" << QRect(358, 47, 62, 25);
        QTest::newRow("View Dir") << "Button5"
                                  << "&View Dir" << 12 << "GroupBox2" << QRect(358, 78, 62, 25);
    }

    void buttons()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(int, helpContext);
        QFETCH(QString, group);
        QFETCH(QRect, geometry);
        TForm1 form;
        auto* button = form.findChild<QPushButton*>(name);
        QVERIFY(button);
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->property("helpContext").toInt(), helpContext);
        QCOMPARE(button->parentWidget()->objectName(), group);
        QCOMPARE(button->geometry(), geometry);
        QCOMPARE(button->contextMenuPolicy(), Qt::CustomContextMenu);
    }

    // Alt and a button's underlined letter click it while the key is down,
    // not a tenth of a second later after showing it pressed.
    void altAndAButtonsLetterClickItAtOnce()
    {
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        int clicks = 0;
        connect(form.Button5, &QPushButton::clicked, [&] { ++clicks; });
        QTest::keyClick(form.windowHandle(), Qt::Key_V, Qt::AltModifier);
        QCOMPARE(clicks, 1);
        QTest::qWait(150);
        QCOMPARE(clicks, 1);
    }

    void menus()
    {
        TForm1 form;
        QCOMPARE(form.menuBar()->actions().size(), 2);
        QCOMPARE(form.Options1->title(), QString("&Options"));
        QCOMPARE(form.Options1->actions(), QList<QAction*>({ form.OtherSources1, form.Archives1 }));
        QCOMPARE(form.OtherSources1->text(),
            QString("Other Icon &Sources (.icl .cpl .ocx .scr .drv .mun .ax .ico)"));
        QCOMPARE(form.Archives1->text(), QString("Look Inside &Archives"));
        QVERIFY(form.OtherSources1->isCheckable() && form.Archives1->isCheckable());
        QCOMPARE(form.Help1->title(), QString("&Help"));
        const auto entries = form.Help1->actions();
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0]->text(), QString("&Help Topics"));
        QCOMPARE(entries[0]->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(entries[0]->property("helpContext").toInt(), 1);
        QVERIFY(entries[1]->isSeparator());
        QCOMPARE(entries[2]->text(), QString("&About"));
        QCOMPARE(form.PopupMenu1->actions().size(), 1);
        QCOMPARE(form.PopupMenu1->actions()[0]->text(), QString("Whats This?"));
    }

    // The two options are off until chosen, kept for the next window, and the
    // other sources widen the source file list to the kinds harvested.
    void optionsAreKeptAndWidenTheSourceList()
    {
        {
            TForm1 form;
            QVERIFY(!form.OtherSources1->isChecked() && !form.Archives1->isChecked());
            form.OtherSources1->trigger();
            form.Archives1->trigger();
            QCOMPARE(form.FileListBox1->mask(),
                QString("*.exe;*.dll;*.icl;*.cpl;*.ocx;*.scr;*.drv;*.mun;*.ax;*.ico"));
        }
        {
            TForm1 again;
            QVERIFY(again.OtherSources1->isChecked() && again.Archives1->isChecked());
            QCOMPARE(again.FileListBox1->mask().count(';'), 9);
            again.OtherSources1->trigger();
            again.Archives1->trigger();
            QCOMPARE(again.FileListBox1->mask(), QString("*.exe;*.dll"));
        }
        TForm1 last;
        QVERIFY(!last.OtherSources1->isChecked() && !last.Archives1->isChecked());
    }

    void tabOrderAndFirstFocus()
    {
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form.DriveComboBox1));

        const QStringList expected = { "DriveComboBox1", "FileListBox1", "Button1", "Button4",
            "DirectoryListBox1", "IconComboBox1", "Button6", "DriveComboBox2", "FileListBox2",
            "Button2", "Button3", "Button5", "DirectoryListBox2" };
        QStringList order;
        QWidget* widget = form.DriveComboBox1;
        do {
            if (expected.contains(widget->objectName()) && !order.contains(widget->objectName()))
                order << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget != form.DriveComboBox1);
        QCOMPARE(order, expected);
    }

    void destinationVolumeMovesFolderAndFileList()
    {
        TForm1 form;
        PickVolume(form.DriveComboBox2, m_stick);
        QCOMPARE(form.DirectoryListBox2->directory(), m_stick);
        QCOMPARE(form.FileListBox2->directory(), m_stick);
        QCOMPARE(form.FileListBox2->fileModel()->items(), QStringList({ "top.ico" }));
        // The source browser is not linked to the destination's.
        QCOMPARE(form.DirectoryListBox1->directory(), m_root);
        QCOMPARE(form.FileListBox1->directory(), m_root);
    }

    void openingFolderListsItsFiles()
    {
        TForm1 form;
        form.DirectoryListBox1->setDirectory(m_root + "/exes");
        QCOMPARE(form.FileListBox1->directory(), m_root + "/exes");
        QCOMPARE(form.FileListBox1->fileModel()->items(), QStringList({ "a.dll", "b.EXE" }));
        form.DirectoryListBox2->setDirectory(m_root + "/icons");
        QCOMPARE(form.FileListBox2->directory(), m_root + "/icons");
        QCOMPARE(form.FileListBox2->fileModel()->items(),
            QStringList({ "Icon0000.ico", "Icon0001.ico" }));
    }

    void clickingExecutableListsItsIcons()
    {
        const QString regedit = kit::CorpusFile("public/libwine-amd64/regedit.exe");
        if (regedit.isEmpty())
            QSKIP("the corpus of executables is not there (G2_CORPUS)");
        const QString folder = platform::FolderOf(regedit);
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.DirectoryListBox1->setDirectory(folder);
        ClickFile(form.FileListBox1, "regedit.exe");
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form.FileListBox1));

        QCOMPARE(form.IconComboBox1->fileName(), folder + "/regedit.exe");
        QCOMPARE(form.IconComboBox1->count(), 6);
        QCOMPARE(form.IconComboBox1->numberOfIcons(), 6);
        QCOMPARE(form.IconComboBox1->currentIndex(), 0);
        QVERIFY(form.IconComboBox1->isEnabled());

        // The same file again keeps the picker as it is.
        form.IconComboBox1->setCurrentIndex(3);
        QSignalSpy changes(form.IconComboBox1, &TIconComboBox::fileChange);
        form.FileListBox1Click();
        QCOMPARE(changes.count(), 0);
        QCOMPARE(form.IconComboBox1->currentIndex(), 3);
    }

    void clickingVanishedFileDisablesPicker()
    {
        QTemporaryDir dir;
        kit::MakeFiles(dir.path(), { "gone.exe" });
        TForm1 form;
        form.show();
        form.DirectoryListBox1->setDirectory(QDir(dir.path()).canonicalPath());
        QFile::remove(dir.path() + "/gone.exe");
        ClickFile(form.FileListBox1, "gone.exe");
        QVERIFY(!form.IconComboBox1->isEnabled());
        QCOMPARE(form.IconComboBox1->count(), 0);
        QCOMPARE(form.IconComboBox1->numberOfIcons(), -1);
    }

    void handlerErrorIsShownAndListKept()
    {
        QTemporaryDir dir;
        const QString vanishing = QDir(dir.path()).canonicalPath() + "/vanishing";
        QDir().mkpath(vanishing);
        TForm1 form;
        form.show();
        form.DirectoryListBox1->setDirectory(vanishing);
        form.FileListBox1->setDirectory(m_root + "/exes");
        QDir(vanishing).removeRecursively();

        SeenBox seen;
        QTimer answer;
        AnswerBoxes(answer, seen);
        // The folder list's change, as after a folder was opened in it.
        emit form.DirectoryListBox1->directoryModel()->changed();
        QCOMPARE(seen.shown, 1);
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QVERIFY(seen.title.startsWith("Glyphor 2"));
        QVERIFY(seen.text.endsWith('.'));
        QCOMPARE(form.FileListBox1->directory(), m_root + "/exes");
        QCOMPARE(form.FileListBox1->fileModel()->items(), QStringList({ "a.dll", "b.EXE" }));
    }

    void browserEventErrorReachesTheSameBox()
    {
        QTemporaryDir dir;
        const QString parent = QDir(dir.path()).canonicalPath();
        QDir().mkpath(parent + "/gone");
        TForm1 form;
        form.show();
        form.DirectoryListBox1->setDirectory(parent);
        auto* model = form.DirectoryListBox1->directoryModel();
        int gone = -1;
        for (int i = 0; i < model->entries().size(); ++i)
            if (model->entries()[i].text == "gone")
                gone = i;
        QVERIFY(gone >= 0);
        model->setSelectedIndex(gone);
        QDir(parent + "/gone").removeRecursively();

        SeenBox seen;
        QTimer answer;
        AnswerBoxes(answer, seen);
        QTest::keyClick(form.DirectoryListBox1, Qt::Key_Return);
        QCOMPARE(seen.shown, 1);
        QCOMPARE(seen.title, QString("Glyphor 2 - a Tarnwell utility"));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(form.DirectoryListBox1->directory(), parent);
    }

private:
    kit::ScratchFolder m_dir;
    test::StickVolume m_stickVolume;
    QString m_root;
    QString m_stick;
};

G2_APP_TEST_MAIN(TForm1Test)

#include "TForm1Test.moc"
