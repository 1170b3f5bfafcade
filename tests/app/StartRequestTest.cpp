// glyphor2 [SOURCE [DESTINATION]]: the command line read, and the window
// started on the folders it names, or as without them when one is wrong.

#include "app/StartRequest.h"
#include "AnswerBoxes.h"
#include "AppTestMain.h"
#include "StickVolume.h"
#include "app/TForm1.h"
#include "browse/TDirectoryListBox.h"
#include "browse/TDriveComboBox.h"
#include "browse/TFileListBox.h"
#include "kit/NativeFiles.h"
#include "platform/Volumes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace glyphor;
using Kind = StartRequest::Kind;

Q_DECLARE_METATYPE(StartRequest::Kind)

class StartRequestTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_root = kit::PathOf(m_dir);
        // The destination lies on a volume of its own, so that its drive
        // list has to move too.
        m_stick = m_stickVolume.path();
        QDir(m_root).mkpath("exes");
        QDir(m_root).mkpath("-odd");
        QFile exe(m_root + "/exes/tool.exe");
        QVERIFY(exe.open(QIODevice::WriteOnly));
        QFile ico(m_stick + "/Icon0000.ico");
        QVERIFY(ico.open(QIODevice::WriteOnly));
    }

    void init() { QDir::setCurrent(m_root); }

    void arguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("destination");
        QTest::newRow("none") << QStringList {} << Kind::Window << ""
                              << "";
        QTest::newRow("source") << QStringList { "a" } << Kind::Window << "a"
                                << "";
        QTest::newRow("both") << QStringList { "a", "b" } << Kind::Window << "a"
                              << "b";
        QTest::newRow("three") << QStringList { "a", "b", "c" } << Kind::Usage << ""
                               << "";
        QTest::newRow("help after folders") << QStringList { "a", "--help" } << Kind::Help << ""
                                            << "";
        QTest::newRow("version") << QStringList { "--version" } << Kind::Version << ""
                                 << "";
        QTest::newRow("unknown option") << QStringList { "-x" } << Kind::Usage << ""
                                        << "";
        QTest::newRow("dash names after --")
            << QStringList { "--", "-odd", "--help" } << Kind::Window << "-odd"
            << "--help";
    }

    void arguments()
    {
        QFETCH(QStringList, args);
        const StartRequest request = ParseStartArguments(args);
        QTEST(request.kind, "kind");
        if (request.kind == Kind::Usage)
            QVERIFY(!request.problem.isEmpty());
        else {
            QTEST(request.source, "source");
            QTEST(request.destination, "destination");
        }
    }

    void noFoldersStartWhereTheListsStart()
    {
        TForm1 form;
        form.show();
        SeenBox seen;
        QTimer answer;
        AnswerBoxes(answer, seen);
        OpenStartFolders(form, ParseStartArguments({}));
        QCOMPARE(seen.shown, 0);
        QCOMPARE(form.DirectoryListBox1->directory(), m_root);
        QCOMPARE(form.DirectoryListBox2->directory(), m_root);
    }

    void givenFoldersAreShownWithTheirDrivesAndFiles()
    {
        TForm1 form;
        form.show();
        // The source relative to the folder the program was started in, the
        // destination on another volume.
        OpenStartFolders(form, ParseStartArguments({ "exes", m_stick }));
        QCOMPARE(form.DirectoryListBox1->directory(), m_root + "/exes");
        QCOMPARE(form.FileListBox1->fileModel()->items(), QStringList { "tool.exe" });
        QCOMPARE(form.DriveComboBox1->drive(), QString("/"));
        QCOMPARE(form.DirectoryListBox2->directory(), m_stick);
        QCOMPARE(form.FileListBox2->fileModel()->items(), QStringList { "Icon0000.ico" });
        QCOMPARE(form.DriveComboBox2->drive(), m_stick);
    }

    void bothRelativeFoldersMeanTheStartingFolder()
    {
        TForm1 form;
        form.show();
        OpenStartFolders(form, ParseStartArguments({ "exes", "--", "-odd" }));
        QCOMPARE(form.DirectoryListBox1->directory(), m_root + "/exes");
        QCOMPARE(form.DirectoryListBox2->directory(), m_root + "/-odd");
    }

    void aWrongFolderIsReportedAndLeftOut_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing source") << QStringList { "missing",
            "exes" } << "Cannot open source folder %1/missing: No such file or directory.";
        QTest::newRow("file for destination")
            << QStringList { "exes", "exes/tool.exe" }
            << "Cannot open destination folder %1/exes/tool.exe: Not a directory.";
    }

    void aWrongFolderIsReportedAndLeftOut()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        TForm1 form;
        form.show();
        SeenBox seen;
        QTimer answer;
        AnswerBoxes(answer, seen);
        OpenStartFolders(form, ParseStartArguments(args));
        QCOMPARE(seen.shown, 1);
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.text, message.arg(m_root));
        // The wrong one stays where it started, the right one moves.
        const bool sourceWrong = args[0] == "missing";
        QCOMPARE(form.DirectoryListBox1->directory(), sourceWrong ? m_root : m_root + "/exes");
        QCOMPARE(form.DirectoryListBox2->directory(), sourceWrong ? m_root + "/exes" : m_root);
    }

private:
    kit::ScratchFolder m_dir;
    test::StickVolume m_stickVolume;
    QString m_root;
    QString m_stick;
};

G2_APP_TEST_MAIN(StartRequestTest)

#include "StartRequestTest.moc"
