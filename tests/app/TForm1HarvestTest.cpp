// The harvesting commands in the window: Save Icon, Scan Tree and Scan File
// wired to the engine, the stop questions, a close during a run and the
// stored count. Results are checked against what glyphor2-cli writes for the
// same inputs.
#include "AnswerBoxes.h"
#include "AppTestMain.h"
#include "FormDriving.h"
#include "HarvestResults.h"
#include "app/BusyAnimation.h"
#include "app/HarvestView.h"
#include "app/TForm1.h"
#include "browse/TDirectoryListBox.h"
#include "browse/TDriveComboBox.h"
#include "browse/TFileListBox.h"
#include "controls/TIconComboBox.h"
#include "files/NativePath.h"
#include "harvest/TempFolder.h"
#include "kit/IconImages.h"
#include "kit/NativeFiles.h"
#include "kit/ScanFolders.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace glyphor;
using glyphor::test::Click;
using glyphor::test::ClickFile;
using glyphor::test::CliResult;
using glyphor::test::Contents;
using glyphor::test::Files;
using glyphor::test::ShowWith;

namespace {

QString CorpusExe(const QString& name)
{
    return kit::CorpusFile("public/libwine-amd64/" + name);
}

// The controls a run may disable, with their state: "Name" enabled, "-Name" not.
QStringList Controls(TForm1& form)
{
    QStringList out;
    const QWidget* const controls[] = { form.Button1, form.Button2, form.Button3, form.Button4,
        form.Button5, form.Button6, form.DirectoryListBox1, form.DirectoryListBox2,
        form.DriveComboBox1, form.DriveComboBox2, form.FileListBox1, form.FileListBox2 };
    for (const QWidget* w : controls)
        out << (w->isEnabled() ? "" : "-") + w->objectName();
    return out;
}

bool Idle(TForm1& form)
{
    return form.statusText() == "Ready." && form.Button1->text() == kScanTreeCaption
        && form.Button4->text() == kScanFileCaption && !Controls(form).join(' ').contains('-')
        && form.Animate1->isHidden() && !form.Animate1->isActive();
}

// Runs action at the first pump after the first capture of a run.
void AtFirstCapture(TForm1& form, std::function<void()> action)
{
    auto once = std::make_shared<bool>(false);
    QObject::connect(&form, &TForm1::statusTextChanged, &form, [=](const QString& text) {
        if (text.startsWith("Searching") && !std::exchange(*once, true))
            QTimer::singleShot(0, action);
    });
}

} // namespace

class TForm1HarvestTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_taskmgr = CorpusExe("taskmgr.exe");
        m_regedit = CorpusExe("regedit.exe");
        if (m_taskmgr.isEmpty() || m_regedit.isEmpty())
            QSKIP("the corpus of executables is not there (G2_CORPUS)");
        // A small tree, taskmgr (3 icons) on top and regedit (6) below, and a
        // folder of both for the single-file scan.
        m_root = kit::PathOf(m_dir);
        QDir(m_root).mkpath("tree/sub");
        QDir(m_root).mkpath("files");
        QFile::copy(m_taskmgr, m_root + "/tree/taskmgr.exe");
        QFile::copy(m_regedit, m_root + "/tree/sub/regedit.exe");
        QFile::copy(m_taskmgr, m_root + "/files/taskmgr.exe");
        QFile::copy(m_regedit, m_root + "/files/regedit.exe");
    }

    void init()
    {
        // A bad count left by an earlier test would put up its box at start.
        QSettings("Tarnwell", "Glyphor2").remove("Count");
        QDir::setCurrent(m_root);
        // A destination of its own for every test.
        m_folders.emplace();
        m_destPath = m_folders->destination();
    }
    void cleanup() { m_folders.reset(); }

    void saveIconWritesWhatTheToolWrites_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("first icon") << 0;
        QTest::newRow("last icon") << 5;
    }
    void saveIconWritesWhatTheToolWrites()
    {
        QFETCH(int, index);
        TForm1 form;
        showWith(form, m_root + "/files");
        ClickFile(form.FileListBox1, "regedit.exe");
        form.IconComboBox1->setCurrentIndex(index);
        const int count = form.ExtractedCount;
        Click(form, form.Button6);
        const Files written = Contents(m_destPath);
        QCOMPARE(written.size(), 1);
        QCOMPARE(form.FileListBox2->fileModel()->items(), written.keys());
        QCOMPARE(form.ExtractedCount, count);
        QCOMPARE(form.statusText(), QString("Ready."));
        const Files cli
            = CliResult("save", { m_root + "/files/regedit.exe", QString::number(index) });
        QCOMPARE(cli.size(), 1);
        QCOMPARE(written.first(), cli.first());
    }

    void saveIconWithNothingSelectedLeavesNoFile()
    {
        TForm1 form;
        showWith(form, m_root + "/files");
        ClickFile(form.FileListBox1, "regedit.exe");
        form.IconComboBox1->setCurrentIndex(-1);
        SeenBox seen;
        QTimer answer;
        AnswerBoxes(answer, seen);
        Click(form, form.Button6);
        QCOMPARE(seen.shown, 1);
        QCOMPARE(seen.text, QString("Icon image is not valid."));
        QVERIFY(Contents(m_destPath).isEmpty());
        QVERIFY(form.FileListBox2->fileModel()->items().isEmpty());
    }

    void scanTreeGoesBusyAndEndsIdle()
    {
        TForm1 form;
        showWith(form, m_root + "/tree");
        const int count = form.ExtractedCount;
        QStringList during;
        AtFirstCapture(form, [&] {
            during = Controls(form) << form.Button1->text() << form.statusText().left(15);
            during << (form.Animate1->isVisible() && form.Animate1->isActive() ? "animated"
                                                                               : "still");
        });
        Click(form, form.Button1);
        QCOMPARE(during,
            QStringList({ "Button1", "-Button2", "-Button3", "-Button4", "Button5", "Button6",
                "-DirectoryListBox1", "-DirectoryListBox2", "-DriveComboBox1", "-DriveComboBox2",
                "FileListBox1", "-FileListBox2", "&Stop", "Searching .... ", "animated" }));
        QVERIFY(Idle(form));
        QCOMPARE(form.ExtractedCount, count + 9);
        QVERIFY(!QFileInfo::exists(m_destPath + "/Temp"));
        QCOMPARE(Contents(m_destPath), CliResult("scan-tree", { m_root + "/tree" }));
        QCOMPARE(form.FileListBox2->fileModel()->items(), Contents(m_destPath).keys());
    }

    void stopQuestionAnswers_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes merges what was collected") << int(QMessageBox::Yes);
        QTest::newRow("No keeps it in Temp") << int(QMessageBox::No);
        QTest::newRow("Cancel goes on") << int(QMessageBox::Cancel);
    }
    void stopQuestionAnswers()
    {
        QFETCH(int, answer);
        TForm1 form;
        showWith(form, m_root + "/tree");
        AtFirstCapture(form, [&] { Click(form, form.Button1); });
        SeenBox seen;
        QVariant tag; // the stop state as the button keeps it
        QTimer poll;
        OnModal<QMessageBox>(poll, [&](QMessageBox* box) {
            seen.record(box);
            tag = form.Button1->property("Tag");
            box->button(QMessageBox::StandardButton(answer))->click();
        });
        Click(form, form.Button1);
        QCOMPARE(seen.shown, 1);
        QCOMPARE(seen.title, QString("Glyphor 2"));
        QCOMPARE(seen.text, kSearchStopQuestion);
        QCOMPARE(seen.icon, QMessageBox::Question);
        QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(tag, QVariant(999));
        QVERIFY(Idle(form));
        // The question comes before the walk reaches regedit in the subfolder.
        if (answer == QMessageBox::Yes)
            QCOMPARE(
                Contents(m_destPath), CliResult("scan-file", { m_root + "/tree/taskmgr.exe" }));
        if (answer == QMessageBox::No) {
            QVERIFY(Contents(m_destPath).isEmpty());
            // One file for each icon that differs, the icons taskmgr.exe
            // holds more than once sharing one.
            QCOMPARE(Contents(m_destPath + "/Temp").size(),
                CliResult("scan-file", { m_root + "/tree/taskmgr.exe" }).size());
        }
        if (answer == QMessageBox::Cancel)
            QCOMPARE(Contents(m_destPath), CliResult("scan-tree", { m_root + "/tree" }));
        QCOMPARE(QFileInfo::exists(m_destPath + "/Temp"), answer == QMessageBox::No);
    }

    void errorDuringRunEndsIdleAndIsShown()
    {
        // A file named Temp: the run refuses to collect anywhere else.
        QFile(m_destPath + "/Temp").open(QIODevice::WriteOnly);
        TForm1 form;
        showWith(form, m_root + "/tree");
        SeenBox seen;
        QTimer answer;
        AnswerBoxes(answer, seen);
        Click(form, form.Button1);
        QCOMPARE(seen.shown, 1);
        QVERIFY2(seen.text.startsWith("Cannot create folder " + m_destPath + "/Temp"),
            qPrintable(seen.text));
        QVERIFY(Idle(form));
    }

    void closeDuringRunStopsItAndStoresCount_data()
    {
        QTest::addColumn<bool>("atQuestion");
        QTest::newRow("at a pump") << false;
        QTest::newRow("while the stop question is up") << true;
    }
    void closeDuringRunStopsItAndStoresCount()
    {
        QFETCH(bool, atQuestion);
        QPointer<TForm1> form = new TForm1;
        form->setAttribute(Qt::WA_DeleteOnClose);
        showWith(*form, m_root + "/tree");
        int questions = 0;
        QTimer poll;
        OnModal<QMessageBox>(poll, [&](QMessageBox*) {
            if (form && ++questions == 1)
                form->close();
        });
        AtFirstCapture(
            *form, [&] { atQuestion ? Click(*form, form->Button1) : void(form->close()); });
        Click(*form, form->Button1);
        // Deleted on close, which waited for the run's handler to return.
        QTRY_VERIFY(!form);
        QCOMPARE(questions, atQuestion ? 1 : 0);
        // Every icon counted and stored is kept in Temp for the next run, the
        // icons equal to one collected before in that one's file.
        const int kept = Contents(m_destPath + "/Temp").size();
        QVERIFY(kept >= (atQuestion ? 2 : 1));
        QVERIFY(QSettings("Tarnwell", "Glyphor2").value("Count").toInt() >= kept);
        QVERIFY(Contents(m_destPath).isEmpty());
    }

    void scanFileHarvestsEveryIconOnce()
    {
        TForm1 form;
        showWith(form, m_root + "/files");
        ClickFile(form.FileListBox1, "taskmgr.exe");
        const int count = form.ExtractedCount;
        QStringList statuses;
        connect(&form, &TForm1::statusTextChanged, [&](const QString& s) {
            if (s.startsWith("Searching"))
                statuses << s;
        });
        QStringList during;
        AtFirstCapture(form, [&] { during = Controls(form) << form.Button4->text(); });
        Click(form, form.Button4);
        const QString file = m_root + "/files/taskmgr.exe";
        QCOMPARE(statuses,
            QStringList({ "Searching .... " + file + " Icon 1 of 3",
                "Searching .... " + file + " Icon 2 of 3",
                "Searching .... " + file + " Icon 3 of 3" }));
        QCOMPARE(during,
            QStringList({ "-Button1", "-Button2", "-Button3", "Button4", "Button5", "Button6",
                "-DirectoryListBox1", "-DirectoryListBox2", "-DriveComboBox1", "-DriveComboBox2",
                "FileListBox1", "-FileListBox2", "&Stop" }));
        // Two of taskmgr's three icons give the same file: one copy of each picture.
        QCOMPARE(Contents(m_destPath).keys(), QStringList({ "Icon0000.ico", "Icon0001.ico" }));
        QCOMPARE(Contents(m_destPath), CliResult("scan-file", { file }));
        QCOMPARE(form.ExtractedCount, count + 3);
        QVERIFY(!QFileInfo::exists(m_destPath + "/Temp"));
        QVERIFY(Idle(form));
        // The same file again (the run's return to the source folder reads the
        // list anew, so it is picked again): every icon is a duplicate, and
        // each still counts.
        const Files before = Contents(m_destPath);
        ClickFile(form.FileListBox1, "taskmgr.exe");
        Click(form, form.Button4);
        QCOMPARE(Contents(m_destPath), before);
        QCOMPARE(form.ExtractedCount, count + 6);
    }

    // A folder and a file whose names are not UTF-8: the picker shows the
    // file's icons, Scan File and Save Icon take it, and the status bar shows
    // its name with the undecodable bytes marked.
    void namesThatAreNotUtf8WorkAndShowMarked()
    {
        const QString folder = m_root + "/" + files::FromNativePath("Qu\xE9lle");
        const QString file = folder + "/"
            + files::FromNativePath("\xC9"
                                    "diteur.exe");
        kit::MakePath(folder);
        std::filesystem::copy_file(files::ToNativePath(m_taskmgr), files::ToNativePath(file));
        TForm1 form;
        showWith(form, folder);
        ClickFile(form.FileListBox1, platform::FileNameOf(file));
        QCOMPARE(form.IconComboBox1->count(), 3);
        QStringList statuses;
        connect(&form, &TForm1::statusTextChanged, [&](const QString& s) {
            if (s.startsWith("Searching"))
                statuses << s;
        });
        Click(form, form.Button4);
        QCOMPARE(statuses.first(),
            "Searching .... " + m_root + "/Qu\\xE9lle/\\xC9diteur.exe Icon 1 of 3");
        QCOMPARE(Contents(m_destPath), CliResult("scan-file", { m_root + "/files/taskmgr.exe" }));
        ClickFile(form.FileListBox1, platform::FileNameOf(file));
        Click(form, form.Button6);
        QCOMPARE(Contents(m_destPath).size(), 3);
        kit::RemoveAll(folder);
    }

    void scanFileKeepsItsFileWhenAnotherIsClicked()
    {
        TForm1 form;
        showWith(form, m_root + "/files");
        ClickFile(form.FileListBox1, "taskmgr.exe");
        QStringList statuses;
        connect(&form, &TForm1::statusTextChanged, [&](const QString& s) { statuses << s; });
        AtFirstCapture(form, [&] { ClickFile(form.FileListBox1, "regedit.exe"); });
        Click(form, form.Button4);
        QCOMPARE(form.IconComboBox1->fileName(), m_root + "/files/regedit.exe");
        QCOMPARE(statuses.filter("Searching").size(), 3);
        QCOMPARE(statuses.filter("taskmgr.exe Icon").size(), 3);
        QCOMPARE(Contents(m_destPath), CliResult("scan-file", { m_root + "/files/taskmgr.exe" }));
    }

    // A stop click that reaches the button while the run ends, after its
    // caption is back to "Scan &Tree", neither starts a run nor the animation.
    void stopClickQueuedAsTheRunEndsLeavesTheWindowStill()
    {
        TForm1 form;
        showWith(form, m_root + "/tree");
        const int count = form.ExtractedCount;
        bool clicked = false;
        connect(&form, &TForm1::statusTextChanged, &form, [&](const QString& text) {
            if (text == "Ready." && !std::exchange(clicked, true))
                QTimer::singleShot(0, &form, [&] { Click(form, form.Button1); });
        });
        Click(form, form.Button1);
        QVERIFY(clicked);
        QVERIFY(Idle(form));
        QCOMPARE(form.ExtractedCount, count + 9);
    }

    // An icon that cannot be captured is skipped and named; at the end the
    // window says, once, how many were skipped. The rest is harvested.
    void skippedIconsAreToldAtTheEnd()
    {
        QDir(m_root).mkpath("damaged");
        QFile::copy(m_taskmgr, m_root + "/damaged/taskmgr.exe");
        QVERIFY(kit::WriteBytes(m_root + "/damaged/bad.exe", kit::IconFileOfAnUnreadableImage()));

        TForm1 form;
        showWith(form, m_root + "/damaged");
        QStringList skippedTexts;
        connect(&form, &TForm1::statusTextChanged, [&](const QString& s) {
            if (s.startsWith("Skipped"))
                skippedTexts << s;
        });
        SeenBox seen;
        QTimer answer;
        AnswerBoxes(answer, seen);
        Click(form, form.Button1);
        QCOMPARE(skippedTexts,
            QStringList({ "Skipped .... bad.exe Icon 1 of 1: Icon image is not valid: "
                          "unsupported depth of 7 bits per pixel" }));
        QCOMPARE(seen.shown, 1);
        QCOMPARE(seen.title, QString("Information"));
        QCOMPARE(seen.icon, QMessageBox::Information);
        QCOMPARE(seen.text,
            "1 icon could not be captured and was skipped:\n" + m_root
                + "/damaged/bad.exe Icon 1 of 1: Icon image is not valid: unsupported depth of 7 "
                  "bits per pixel");
        QVERIFY(Idle(form));
        QCOMPARE(Contents(m_destPath), CliResult("scan-file", { m_root + "/damaged/taskmgr.exe" }));
    }

    // Another harvest into the destination (here a lock held as another
    // process holds it) refuses the click with a box, and nothing changes.
    void aSecondHarvestIntoTheDestinationIsRefused()
    {
        QDir(m_destPath).mkdir("Temp");
        const int held
            = ::open(files::ToNativePath(m_destPath + "/Temp").c_str(), O_RDONLY | O_DIRECTORY);
        QVERIFY(held >= 0);
        QCOMPARE(::flock(held, LOCK_EX), 0);
        TForm1 form;
        showWith(form, m_root + "/tree");
        const int count = form.ExtractedCount;
        bool animated = false;
        connect(&form, &TForm1::statusTextChanged,
            [&] { animated = animated || form.Animate1->isVisible(); });
        SeenBox seen;
        QTimer answer;
        AnswerBoxes(answer, seen);
        Click(form, form.Button1);
        ::close(held);
        QCOMPARE(seen.shown, 1);
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.text,
            "Another harvest into " + m_destPath + " is in progress; try again when it has ended.");
        QVERIFY(!animated);
        QVERIFY(Idle(form));
        QCOMPARE(form.ExtractedCount, count);
        QVERIFY(Contents(m_destPath).isEmpty());
        QVERIFY(QFileInfo(m_destPath + "/Temp").isDir());
    }

    void countIsLoadedAndStored()
    {
        QSettings("Tarnwell", "Glyphor2").setValue("Count", "41");
        TForm1 form;
        QCOMPARE(form.ExtractedCount, 41);
        form.ExtractedCount = 1234;
        form.show();
        QVERIFY(form.close());
        QCOMPARE(QSettings("Tarnwell", "Glyphor2").value("Count"), QVariant(QString("1234")));
    }

    void badStoredCountIsReportedAndIgnored_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("letters") << "abc";
        QTest::newRow("trailing text") << "12x";
        QTest::newRow("too large") << "2147483648";
    }
    void badStoredCountIsReportedAndIgnored()
    {
        QFETCH(QString, stored);
        QSettings("Tarnwell", "Glyphor2").setValue("Count", stored);
        SeenBox seen;
        QTimer answer;
        AnswerBoxes(answer, seen);
        TForm1 form;
        QCOMPARE(seen.shown, 1);
        QCOMPARE(seen.text, "'" + stored + "' is not a valid integer value.");
        QCOMPARE(form.ExtractedCount, 0);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }

private:
    void showWith(TForm1& form, const QString& source)
    {
        QVERIFY(ShowWith(form, source, m_destPath));
    }

    kit::ScratchFolder m_dir;
    std::optional<kit::ScanFolders> m_folders;
    QString m_root, m_destPath, m_taskmgr, m_regedit;
};

G2_APP_TEST_MAIN(TForm1HarvestTest)

#include "TForm1HarvestTest.moc"
