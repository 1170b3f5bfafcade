// The About box, and the stored count it shows: loaded when the main window
// is created, stored when it closes, with the program's messages for a value
// that cannot be read and a store that refuses the write.

#include "app/TAboutBox.h"
#include "AnswerBoxes.h"
#include "AppTestMain.h"
#include "app/EndSignals.h"
#include "app/TForm1.h"
#include "browse/FileListModel.h"
#include "browse/TDirectoryListBox.h"
#include "browse/TFileListBox.h"
#include "files/NativePath.h"
#include "kit/NativeFiles.h"
#include "kit/ScanFolders.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

using namespace glyphor;

namespace {

// Found without opening the file, which a fifo there would never answer.
QString SettingsPath()
{
    return platform::UserSettingsPath();
}

void WriteSettings(const QByteArray& ini)
{
    QDir().mkpath(QFileInfo(SettingsPath()).path());
    QFile file(SettingsPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(ini);
}

// Chooses "&About" and returns what the box showed as the count; the box is
// answered with OK once it is up.
QString AboutCount(TForm1& form)
{
    QString shown;
    QTimer poll;
    OnModal<TAboutBox>(poll, [&](TAboutBox* box) {
        shown = box->IconCount->text();
        QTest::mouseClick(box->OKButton, Qt::LeftButton);
    });
    form.About1->trigger();
    return shown;
}

} // namespace

class TAboutBoxTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QFile::remove(SettingsPath());
        QDir().rmdir(SettingsPath());
    }

    void boxIsLaidOut()
    {
        TAboutBox box(1234);
        QCOMPARE(box.windowTitle(), QString("About"));
        QCOMPARE(box.size(), QSize(kAboutClientWidth, kAboutClientHeight));
        QCOMPARE(box.minimumSize(), box.maximumSize());
        const Qt::WindowFlags flags = box.windowFlags();
        QVERIFY(!(flags
            & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint
                | Qt::WindowContextHelpButtonHint)));
        QCOMPARE(box.Panel1->geometry(), QRect(8, 8, 281, 161));
        QCOMPARE(box.ProgramIcon->geometry(), QRect(2, 2, 63, 55));
        QVERIFY(box.ProgramIcon->hasScaledContents());
        QCOMPARE(box.ProgramIcon->pixmap().size(), QSize(64, 64));
        QCOMPARE(box.ProductName->text(), QString("Glyphor 2"));
        QCOMPARE(box.Version->text(), QString("Version 1.0"));
        QCOMPARE(box.Label2->text(), QString("You have Extracted : "));
        QCOMPARE(box.IconCount->text(), QString("1234"));
        // At 112, 128, unless the label reaches further in the font at hand.
        QCOMPARE(box.IconCount->y(), 128);
        QCOMPARE(box.IconCount->x(), std::max(112, box.Label2->geometry().right() + 1));
        QCOMPARE(box.IconCount->geometry().right(), 112 + 153 - 1);
        QCOMPARE(box.OKButton->geometry(), QRect(111, 180, 75, 25));
        QVERIFY(!(box.OKButton->focusPolicy() & Qt::TabFocus));
        // Enter closes the box with OK, as its default button.
        box.show();
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }

    void firstStartCountsFromZeroAndStoresIt()
    {
        TForm1 form;
        QCOMPARE(form.ExtractedCount, 0);
        form.show();
        QCOMPARE(AboutCount(form), QString("0"));
        QVERIFY(form.close());
        QCOMPARE(QSettings("Tarnwell", "Glyphor2").value("Count"), QVariant(QString("0")));
    }

    void storedCountIsShownAndFollowsAHarvest()
    {
        WriteSettings("[General]\nCount=1234\n");
        TForm1 form;
        form.show();
        QCOMPARE(AboutCount(form), QString("1234"));

        const QString taskmgr = kit::CorpusFile("public/libwine-amd64/taskmgr.exe");
        if (taskmgr.isEmpty())
            QSKIP("the corpus of executables is not there (G2_CORPUS)");
        const QString folder = platform::FolderOf(taskmgr);
        const kit::ScanFolders folders;
        form.DirectoryListBox1->setDirectory(folder);
        form.DirectoryListBox2->setDirectory(folders.destination());
        form.FileListBox1->fileModel()->select(
            form.FileListBox1->fileModel()->items().indexOf("taskmgr.exe"));
        form.FileListBox1Click();
        form.Button4Click(); // Scan File: taskmgr has three icons
        QCOMPARE(AboutCount(form), QString("1237"));
        QVERIFY(form.close());
        QCOMPARE(QSettings("Tarnwell", "Glyphor2").value("Count"), QVariant(QString("1237")));
    }

    void unreadableStoredCountIsReportedAndTheWindowOpens_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a number") << QByteArray("[General]\nCount=12 icons\n")
                                      << "'12 icons' is not a valid integer value.";
        QTest::newRow("not text") << QByteArray(
            "[General]\nCount=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n")
                                  << "Invalid data type for 'Count'";
    }
    void unreadableStoredCountIsReportedAndTheWindowOpens()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, message);
        WriteSettings(ini);
        SeenBox seen;
        QTimer answer;
        AnswerBoxes(answer, seen);
        TForm1 form;
        QCOMPARE(seen.shown, 1);
        QCOMPARE(seen.text, message);
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(form.ExtractedCount, 0);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // The next close writes a good value over the bad one.
        QVERIFY(form.close());
        QCOMPARE(QSettings("Tarnwell", "Glyphor2").value("Count"), QVariant(QString("0")));
    }

    // Two windows open at once: each close adds that window's own
    // extractions to the total stored by then.
    void twoWindowsBothKeepTheirExtractions()
    {
        WriteSettings("[General]\nCount=100\n");
        TForm1 first;
        TForm1 second;
        for (int i = 0; i < 5; ++i)
            ++first.ExtractedCount;
        for (int i = 0; i < 7; ++i)
            ++second.ExtractedCount;
        first.show();
        second.show();
        QVERIFY(first.close());
        QCOMPARE(QSettings("Tarnwell", "Glyphor2").value("Count"), QVariant(QString("105")));
        QVERIFY(second.close());
        QCOMPARE(QSettings("Tarnwell", "Glyphor2").value("Count"), QVariant(QString("112")));
    }

    // Ended by a signal (a shutdown, a logout) rather than closed, the
    // window still adds its extractions, and then ends as the signal says;
    // a close after that adds nothing twice.
    void anEndingSignalKeepsTheExtractions()
    {
        for (const int number : { SIGTERM, SIGHUP }) {
            WriteSettings("[General]\nCount=100\n");
            TForm1 form;
            for (int i = 0; i < 229; ++i)
                ++form.ExtractedCount;
            int ended = 0;
            EndSignals ends([&form] { form.keepCount(); }, [&](int n) { ended = n; });
            ::raise(number);
            QTRY_COMPARE(ended, number);
            QCOMPARE(QSettings("Tarnwell", "Glyphor2").value("Count"), QVariant(QString("329")));
            QVERIFY(form.close());
            QCOMPARE(QSettings("Tarnwell", "Glyphor2").value("Count"), QVariant(QString("329")));
        }
    }

    // Near the top of 32 bits the total stops at the largest value: the box
    // and the store never show it wrapped round to a negative number.
    void totalStopsAtTheLargestValue()
    {
        WriteSettings("[General]\nCount=2147483600\n");
        TForm1 form;
        for (int i = 0; i < 50; ++i)
            ++form.ExtractedCount;
        form.show();
        QCOMPARE(AboutCount(form), QString("2147483647"));
        QVERIFY(form.close());
        QCOMPARE(QSettings("Tarnwell", "Glyphor2").value("Count"), QVariant(QString("2147483647")));
    }

    // A fifo in the settings file's place: the window opens with the count
    // at 0 instead of waiting for a writer, and the close, refused, leaves
    // the fifo as it was.
    void settingsFifoLetsTheWindowStart()
    {
        QDir().mkpath(QFileInfo(SettingsPath()).path());
        const std::string fifo = files::ToNativePath(SettingsPath());
        QVERIFY(::mkfifo(fifo.c_str(), 0600) == 0);
        SeenBox seen;
        QTimer answer;
        AnswerBoxes(answer, seen);
        QTest::ignoreMessage(QtWarningMsg,
            qPrintable(SettingsPath()
                + ": not a regular file, so the count of icons extracted is not read from it"));
        TForm1 form;
        QCOMPARE(seen.shown, 0);
        QCOMPARE(form.ExtractedCount, 0);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::ignoreMessage(QtWarningMsg,
            qPrintable(SettingsPath()
                + ": not a regular file, so the count of icons extracted is not stored in it"));
        QVERIFY(form.close());
        QCOMPARE(seen.text, QString("Failed to set data for 'Count'"));
        struct stat st { };
        QVERIFY(::lstat(fifo.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
        QFile::remove(SettingsPath());
    }

    // The error box adds no period after a closing quote (its code lies
    // below the period's).
    void refusedStoreIsReportedAndTheWindowStillCloses()
    {
        // A folder where the settings file belongs cannot be written.
        QVERIFY(QDir().mkpath(SettingsPath()));
        SeenBox seen;
        QTimer answer;
        AnswerBoxes(answer, seen);
        TForm1 form;
        QCOMPARE(seen.shown, 0);
        form.ExtractedCount = 7;
        form.show();
        QVERIFY(form.close());
        QCOMPARE(seen.shown, 1);
        QCOMPARE(seen.text, QString("Failed to set data for 'Count'"));
        QVERIFY(!form.isVisible());
    }
};

G2_APP_TEST_MAIN(TAboutBoxTest)

#include "TAboutBoxTest.moc"
