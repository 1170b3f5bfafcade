// The Options menu at work in the window: Scan Tree over a folder of a
// program, icon libraries, an applet, a loose icon file and a zip, with
// "Other Icon Sources" and "Look Inside Archives" on and off. The source
// file list shows the kinds harvested, the status bar names an archive's
// member while it is searched, and the icons collected are those that
// glyphor2-cli collects with the same choices (--kinds all, --archives).

#include "AppTestMain.h"
#include "FormDriving.h"
#include "HarvestResults.h"
#include "app/TForm1.h"
#include "browse/TFileListBox.h"
#include "controls/TIconComboBox.h"
#include "harvest/TempFolder.h"
#include "kit/Archives.h"
#include "kit/IconLibraries.h"
#include "kit/NativeFiles.h"
#include "kit/ScanFolders.h"

#include <QAction>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace glyphor;
using glyphor::test::Click;
using glyphor::test::ClickFile;
using glyphor::test::CliResult;
using glyphor::test::Contents;
using glyphor::test::Files;
using glyphor::test::ShowWith;

namespace {

void Choose(QAction* option, bool on)
{
    if (option->isChecked() != on)
        option->trigger();
}

} // namespace

class TForm1OptionsHarvestTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_root = kit::PathOf(m_dir);
        m_tree = m_root + "/tree";
        const QString hh = kit::CorpusFile("public/libwine-i386/hh.exe");
        const QString winemine = kit::CorpusFile("public/libwine-i386/winemine.exe");
        const QString joy = kit::CorpusFile("public/libwine-i386/joy.cpl.dll");
        if (hh.isEmpty() || winemine.isEmpty() || joy.isEmpty())
            QSKIP("the corpus of executables is not there (G2_CORPUS)");
        if (!kit::HaveProgram("bsdtar"))
            QSKIP("bsdtar is not installed (scripts/setup installs it)");
        kit::MakePath(m_tree);
        kit::MakePath(m_root + "/packed/setup");
        QVERIFY(QFile::copy(hh, m_tree + "/app.exe"));
        QVERIFY(QFile::copy(joy, m_tree + "/joy.cpl"));
        QVERIFY(kit::WriteBytes(m_tree + "/library.icl", kit::NeIconLibrary(2, 10)));
        QVERIFY(kit::WriteBytes(m_tree + "/several.ico", kit::IconFileOfSeveralImages(20)));
        QVERIFY(QFile::copy(winemine, m_root + "/packed/setup/game.exe"));
        QVERIFY(kit::WriteBytes(m_root + "/packed/pe.icl", kit::PeIconLibrary(2, 30)));
        QVERIFY(kit::MakeArchive(kit::ArchiveKind::Zip, (m_root + "/packed").toStdString(),
            { "setup/game.exe", "pe.icl" }, (m_tree + "/old.zip").toStdString()));
    }

    void init()
    {
        QDir::setCurrent(m_root);
        m_folders.emplace();
    }
    void cleanup() { m_folders.reset(); }

    void scanTreeTakesWhatTheOptionsSay_data()
    {
        QTest::addColumn<bool>("otherSources");
        QTest::addColumn<bool>("archives");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<int>("icons");
        const QStringList programs { "app.exe" };
        const QStringList all { "app.exe", "joy.cpl", "library.icl", "several.ico" };
        // The program's icon; with the other sources the icon library's two,
        // the applet's and the icon file's; with the archives the zipped
        // program's; with both the zipped icon library's two as well.
        QTest::newRow("neither") << false << false << programs << 1;
        QTest::newRow("other sources") << true << false << all << 5;
        QTest::newRow("archives") << false << true << programs << 2;
        QTest::newRow("both") << true << true << all << 8;
    }
    void scanTreeTakesWhatTheOptionsSay()
    {
        QFETCH(bool, otherSources);
        QFETCH(bool, archives);
        QFETCH(QStringList, listed);
        QFETCH(int, icons);
        TForm1 form;
        Choose(form.OtherSources1, otherSources);
        Choose(form.Archives1, archives);
        QVERIFY(ShowWith(form, m_tree, m_folders->destination()));
        QCOMPARE(form.FileListBox1->fileModel()->items(), listed);

        QStringList statuses;
        connect(&form, &TForm1::statusTextChanged, [&](const QString& t) { statuses << t; });
        Click(form, form.Button1);
        QTRY_COMPARE(form.statusText(), QString("Ready."));
        const Files written = Contents(m_folders->destination());
        QCOMPARE(written.size(), icons);
        QStringList options;
        if (otherSources)
            options << "--kinds"
                    << "all";
        if (archives)
            options << "--archives";
        QCOMPARE(written, CliResult("scan-tree", options + QStringList { m_tree }));
        // The member searched is named with the archive's whole path.
        const QString member = m_tree + QString::fromUtf8("/old.zip \u203A setup/game.exe");
        QCOMPARE(statuses.contains("Searching .... " + member + " Icon 1 of 1"), archives);
        QCOMPARE(statuses.filter(QString::fromUtf8("\u203A")).isEmpty(), !archives);
    }

    // With the other sources on, an icon library is taken as a program is:
    // the picker shows its icons, and Scan File and Save Icon write what the
    // tool writes for it.
    void pickerScanFileAndSaveIconTakeAnIconLibrary()
    {
        TForm1 form;
        Choose(form.OtherSources1, true);
        QVERIFY(ShowWith(form, m_tree, m_folders->destination()));
        const QString library = m_tree + "/library.icl";
        ClickFile(form.FileListBox1, "library.icl");
        QCOMPARE(form.IconComboBox1->count(), 2);

        Click(form, form.Button4);
        QTRY_COMPARE(form.statusText(), QString("Ready."));
        const Files scanned = Contents(m_folders->destination());
        QCOMPARE(scanned.size(), 2);
        QCOMPARE(scanned, CliResult("scan-file", { library }));

        ClickFile(form.FileListBox1, "library.icl");
        form.IconComboBox1->setCurrentIndex(1);
        Click(form, form.Button6);
        const Files saved = Contents(m_folders->destination());
        QCOMPARE(saved.size(), 3);
        QCOMPARE(saved.value("Icon0002.ico"), CliResult("save", { library, "1" }).first());
    }

private:
    kit::ScratchFolder m_dir;
    std::optional<kit::ScanFolders> m_folders;
    QString m_root, m_tree;
};

G2_APP_TEST_MAIN(TForm1OptionsHarvestTest)

#include "TForm1OptionsHarvestTest.moc"
