#include "RunFixture.h"

#include "files/NativePath.h"
#include "harvest/IconProvider.h"
#include "kit/NamedRows.h"
#include "kit/NativeFiles.h"
#include "util/Error.h"

#include <QSet>
#include <QTemporaryDir>

#include <unistd.h>

namespace glyphor {
namespace {

using test::MakeIcon;
using test::RunFixture;

class ScanTree : public RunFixture { };

// The file names of the "Searching" texts, in order, once per file.
QStringList SearchedFiles(const test::FakeHost& host)
{
    QStringList out;
    for (const QString& s : host.statusesStartingWith("Searching .... ")) {
        const QString name = s.mid(15, s.indexOf(" Icon ") - 15);
        if (out.isEmpty() || out.last() != name)
            out << name;
    }
    return out;
}

TEST_F(ScanTree, VisitsFoldersInSortedOrderAndEntersOnlyPlainFolders)
{
    int seed = 0;
    for (const char* f : { "B/b.exe", "A/a.exe", "C/c.exe", "A/Y/y.exe", "B/X/x.exe", "s.exe",
             "MYAPP.EXE", "tool.Dll", "x.exe.bak", ".h/h.exe", "A/readme.txt" })
        MakeExe(f, { MakeIcon(seed++) });
    ASSERT_TRUE(QFile::link(src + "/A", src + "/L"));
    // A folder without write permission, as every folder of a CD is, is entered.
    ASSERT_TRUE(QFile::setPermissions(src + "/C",
        QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
            | QFile::ExeOther));
    engine().scanTreeClick();

    const QStringList searched = SearchedFiles(host);
    ASSERT_EQ(searched.size(), 8) << searched.join(",").toStdString();
    EXPECT_EQ(QSet<QString>(searched.begin(), searched.begin() + 3),
        QSet<QString>({ "s.exe", "MYAPP.EXE", "tool.Dll" }));
    EXPECT_EQ(searched.mid(3), QStringList({ "a.exe", "y.exe", "b.exe", "x.exe", "c.exe" }));
    EXPECT_EQ(host.extracted, 8);
    EXPECT_EQ(engine().captured(), 8);
    EXPECT_EQ(engine().added(), 8);
    EXPECT_EQ(Names(dst).size(), 8);
    EXPECT_FALSE(QFileInfo::exists(temp()));
    EXPECT_EQ(host.statuses.first(), "Busy.");
    EXPECT_EQ(host.statuses.last(), "Ready.");
}

TEST_F(ScanTree, ThreeIconsGiveThreeStatusTextsAndThreeCounts)
{
    MakeExe("app.exe", { MakeIcon(1), MakeIcon(2), MakeIcon(3) });
    engine().scanTreeClick();
    EXPECT_EQ(host.statusesStartingWith("Searching"),
        QStringList({ "Searching .... app.exe Icon 1 of 3", "Searching .... app.exe Icon 2 of 3",
            "Searching .... app.exe Icon 3 of 3" }));
    EXPECT_EQ(host.extracted, 3);
    EXPECT_EQ(Names(dst), QStringList({ "Icon0000.ico", "Icon0001.ico", "Icon0002.ico" }));
}

TEST_F(ScanTree, BusyAndIdleChangeTheControlsInTheirOrder)
{
    engine().scanTreeClick();
    QStringList steps;
    for (const QString& e : host.events)
        if (!e.startsWith("status") && e != "pump")
            steps << e;
    EXPECT_EQ(steps,
        QStringList({ "animation on", "caption Button1 &Stop", "disable Button4", "disable Button2",
            "disable Button3", "disable DirectoryListBox1", "disable DirectoryListBox2",
            "disable DriveComboBox1", "disable DriveComboBox2", "disable FileListBox2",
            "viewer icon", "caption Button1 Scan &Tree", "enable Button4", "animation off",
            "enable DirectoryListBox2", "enable DirectoryListBox1", "enable DriveComboBox1",
            "enable DriveComboBox2", "enable Button2", "enable Button3", "enable FileListBox1",
            "enable FileListBox2" }));
    EXPECT_EQ(host.statuses, QStringList({ "Busy.", "Ready." }));
    EXPECT_FALSE(QFileInfo::exists(temp()));
    EXPECT_EQ(browsers.sourceFiles.directory(), src);
    EXPECT_EQ(browsers.sourceFiles.mask(), "*.exe;*.dll");
}

// Stop clicked after the first capture, answered before the next entry.
struct SearchStop {
    const char* name;
    StopAnswer answer;
    int destFiles;
    int tempFiles;
};

class SearchStopTest : public ScanTree, public testing::WithParamInterface<SearchStop> { };

TEST_P(SearchStopTest, AnswersDoWhatTheyShould)
{
    const SearchStop& c = GetParam();
    MakeExe("a.exe", { MakeIcon(1) });
    MakeExe("b.exe", { MakeIcon(2) });
    ClickTreeAtPump(2);
    host.searchAnswers = { c.answer };
    engine().scanTreeClick();
    EXPECT_EQ(host.eventsStartingWith("ask"), QStringList({ "ask search" }));
    EXPECT_EQ(Names(dst).size(), c.destFiles);
    EXPECT_EQ(Names(temp()).size(), c.tempFiles);
    EXPECT_EQ(QFileInfo::exists(temp()), c.tempFiles > 0);
    EXPECT_EQ(host.statuses.last(), "Ready.");

    // The next run merges what a stop with No left behind.
    host.events.clear();
    host.atPump.clear();
    engine().scanTreeClick();
    EXPECT_EQ(Names(dst).size(), 2);
    EXPECT_FALSE(QFileInfo::exists(temp()));
}

INSTANTIATE_TEST_SUITE_P(Answers, SearchStopTest,
    testing::Values(SearchStop { "Cancel", StopAnswer::Cancel, 2, 0 },
        SearchStop { "No", StopAnswer::No, 0, 1 }, SearchStop { "Yes", StopAnswer::Yes, 1, 0 }),
    glyphor::kit::RowName());

TEST_F(ScanTree, StopAfterTheWalksLastCheckIsDropped)
{
    MakeExe("a.exe", { MakeIcon(1), MakeIcon(2) });
    ClickTreeAtPump(3); // after the last capture
    engine().scanTreeClick();
    EXPECT_TRUE(host.eventsStartingWith("ask").isEmpty());
    EXPECT_EQ(Names(dst).size(), 2);
}

// A stop click at the last capture, with only a folder without executables
// left to visit: an empty folder is still checked (before its "." and ".."),
// one that cannot be searched is not.
struct LastFolder {
    const char* name;
    bool searchable;
};

class LastFolderTest : public ScanTree, public testing::WithParamInterface<LastFolder> { };

TEST_P(LastFolderTest, StopIsAskedOnlyInAFolderThatCanBeSearched)
{
    test::FailingFileOps& failing = FailingOps();
    if (!GetParam().searchable)
        failing.failListOf = { "B" };
    MakeExe("A/a.exe", { MakeIcon(1) });
    ASSERT_TRUE(QDir().mkpath(src + "/B"));
    ClickTreeAtPump(2);
    host.searchAnswers = { StopAnswer::Yes };
    engine().scanTreeClick();
    EXPECT_EQ(host.eventsStartingWith("ask"),
        GetParam().searchable ? QStringList({ "ask search" }) : QStringList());
    EXPECT_EQ(Names(dst).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Kinds, LastFolderTest,
    testing::Values(LastFolder { "Empty", true }, LastFolder { "Unsearchable", false }),
    glyphor::kit::RowName());

TEST_F(ScanTree, EqualCollectedIconsGiveOneCopy)
{
    MakeExe("a.exe", { MakeIcon(1), MakeIcon(1), MakeIcon(2) });
    engine().scanTreeClick();
    EXPECT_EQ(Names(dst), QStringList({ "Icon0000.ico", "Icon0001.ico" }));
    EXPECT_EQ(engine().added(), 2);
    EXPECT_TRUE(
        host.statusesStartingWith("Comparing .... Icon0001.ico with Icon0000.ico").size() == 1);
}

TEST_F(ScanTree, AnIconEqualToAnyDestinationFileIsNotCopied)
{
    MakeExe("a.exe", { MakeIcon(1), MakeIcon(2) });
    // abc.ico holds icon 1 as the program writes it.
    PutIconFile(dst, "abc.ico", MakeIcon(1));
    engine().scanTreeClick();
    EXPECT_EQ(Names(dst), QStringList({ "abc.ico", "Icon0000.ico" }));
    EXPECT_NE(Bytes(dst + "/Icon0000.ico"), Bytes(dst + "/abc.ico"));
}

TEST_F(ScanTree, CopiesTakeTheFreeNumbersFromZero)
{
    PutIconFile(dst, "Icon0000.ico", MakeIcon(5));
    PutIconFile(dst, "Icon0002.ico", MakeIcon(6));
    MakeExe("a.exe", { MakeIcon(1), MakeIcon(2) });
    engine().scanTreeClick();
    EXPECT_EQ(Names(dst),
        QStringList({ "Icon0000.ico", "Icon0001.ico", "Icon0002.ico", "Icon0003.ico" }));
}

// Destination holding one other icon, three new icons collected, stop
// clicked at the pump of the first comparison.
class CompareStopTest : public ScanTree, public testing::WithParamInterface<test::CompareStop> { };

TEST_P(CompareStopTest, AnswersDoWhatTheyShould)
{
    const test::CompareStop& c = GetParam();
    DestinationWithOneIcon();
    MakeExe("a.exe", { MakeIcon(1), MakeIcon(2), MakeIcon(3) });
    // Pumps: 1 start, 2-4 captures, 5 merge start, 6 first comparison.
    ClickTreeAtPump(6);
    host.compareAnswers = { c.answer };
    engine().scanTreeClick();
    EXPECT_EQ(host.eventsStartingWith("ask"), QStringList({ "ask compare" }));
    EXPECT_EQ(Names(dst).size(), c.destFiles);
    EXPECT_EQ(host.statusesStartingWith("Coping .... ").size(), c.copiedWithoutCompare);
    EXPECT_FALSE(QFileInfo::exists(temp()));
    // The destination list is read again at the end of the run, copies of
    // add-all mode included.
    EXPECT_EQ(browsers.destFiles.count(), c.destFiles);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CompareStopTest, testing::ValuesIn(test::kCompareStops), glyphor::kit::RowName());

// The comparisons see the destination as its list shows it after every
// compare-mode copy: copies made earlier in add-all mode included, and files
// that a pump wrote and read into the list. No destination file is read twice.
TEST_F(ScanTree, ComparisonsSeeAddAllCopiesAfterTheNextCompareModeCopy)
{
    test::FailingFileOps& counting = FailingOps();
    DestinationWithOneIcon();
    MakeExe("a.exe", { MakeIcon(1), MakeIcon(2), MakeIcon(3), MakeIcon(2) });
    // Pumps: 1 start, 2-5 captures, 6 merge start, 7 first comparison (No),
    // 8 after its copy, 9 after the add-all copy of icon 2 (a new stop,
    // answered Cancel at the next comparison).
    ClickTreeAtPump(7);
    ClickTreeAtPump(9);
    host.compareAnswers = { StopAnswer::No, StopAnswer::Cancel };
    engine().scanTreeClick();
    EXPECT_EQ(host.eventsStartingWith("ask"), QStringList({ "ask compare", "ask compare" }));
    EXPECT_EQ(Names(dst), QStringList({ "D.ico", "Icon0000.ico", "Icon0001.ico", "Icon0002.ico" }));
    for (auto it = counting.reads.cbegin(); it != counting.reads.cend(); ++it)
        EXPECT_EQ(it.value(), 1) << it.key().toStdString();
}

TEST_F(ScanTree, ComparisonsSeeAFileSavedIntoTheListDuringAPump)
{
    test::FailingFileOps& counting = FailingOps();
    DestinationWithOneIcon();
    MakeExe("a.exe", { MakeIcon(1), MakeIcon(5), MakeIcon(3) });
    const QString saved = PutIconFile(folders.path(), "saved.ico", MakeIcon(3));
    // Pumps: 1 start, 2-4 captures, 5 merge start, 6 first comparison,
    // 7 after its copy, 8 the second icon's first comparison: there the
    // window saves icon 3 into the destination and reads the list.
    host.atPump[8] = [&] {
        QFile::rename(saved, dst + "/saved.ico");
        browsers.destFiles.reread();
    };
    engine().scanTreeClick();
    EXPECT_EQ(Names(dst), QStringList({ "D.ico", "Icon0000.ico", "Icon0001.ico", "saved.ico" }));
    EXPECT_EQ(counting.reads.value(dst + "/D.ico"), 1);
    EXPECT_EQ(counting.reads.value(dst + "/saved.ico"), 1);
}

TEST_F(ScanTree, AShortFileComparesUnequalInsteadOfEndingTheMerge)
{
    QFile shortFile(dst + "/short.ico");
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write(QByteArray(10, 'x'));
    shortFile.close();
    browsers.destFiles.reread();
    MakeExe("a.exe", { MakeIcon(1) });
    engine().scanTreeClick();
    EXPECT_EQ(Names(dst), QStringList({ "Icon0000.ico", "short.ico" }));
}

TEST_F(ScanTree, AFailedCopyKeepsItsCollectedFile)
{
    test::FailingFileOps& failing = FailingOps();
    failing.failCopyOf = { "Icon0001.ico" };
    MakeExe("a.exe", { MakeIcon(1), MakeIcon(2), MakeIcon(3) });
    engine().scanTreeClick();
    EXPECT_EQ(host.statusesStartingWith("Copy Failed (202)").size(), 1);
    EXPECT_EQ(Names(dst).size(), 2);
    EXPECT_EQ(Names(temp()), QStringList({ "Icon0001.ico" }));
    // The next run, with the copy working, takes it along.
    failing.failCopyOf.clear();
    engine().scanTreeClick();
    EXPECT_EQ(Names(dst).size(), 3);
    EXPECT_FALSE(QFileInfo::exists(temp()));
}

TEST_F(ScanTree, AnErrorStillBringsTheWindowBackToIdle)
{
    test::FailingFileOps& failing = FailingOps();
    // A destination without a free name left raises in the merge's first copy.
    failing.raiseOnCopyOf = { "Icon0000.ico" };
    MakeExe("a.exe", { MakeIcon(1), MakeIcon(2) });
    try {
        engine().scanTreeClick();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "No free icon file name left");
    }
    EXPECT_EQ(host.statuses.last(), "Ready.");
    EXPECT_EQ(host.caption(Control::Button1), kScanTreeCaption);
    EXPECT_EQ(host.events.filter("animation").last(), "animation off");
    for (Control c : { Control::Button2, Control::Button3, Control::Button4,
             Control::DirectoryListBox1, Control::DirectoryListBox2, Control::DriveComboBox1,
             Control::DriveComboBox2, Control::FileListBox1, Control::FileListBox2 })
        EXPECT_EQ(host.events.filter(" " + ControlName(c)).last(), "enable " + ControlName(c));
    EXPECT_EQ(Names(temp()).size(), 2);
    EXPECT_EQ(browsers.sourceFiles.directory(), src);
}

// Something other than a plain folder named Temp in the destination: a file
// would make the collected list the destination itself, and a link would make
// it a folder elsewhere; either way the clean-up would delete icons that were
// never copied. The run must refuse before it captures or merges anything.
struct TempInTheWay {
    const char* name;
    bool link; // a link to a folder outside the destination, else a file
};

class TempInTheWayTest : public ScanTree, public testing::WithParamInterface<TempInTheWay> { };

TEST_P(TempInTheWayTest, NothingOutsideTheTemporaryFolderIsDeleted)
{
    const QString kept = PutIconFile(dst, "Icon0000.ico", MakeIcon(9));
    const QString elsewhere = folders.path() + "/elsewhere";
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QFile::copy(kept, elsewhere + "/mine.ico"));
    if (GetParam().link) {
        ASSERT_TRUE(QFile::link(elsewhere, temp()));
    } else {
        QFile f(temp());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    // Without executables nothing is captured and the merge alone goes wrong.
    EXPECT_THROW(engine().scanTreeClick(), Error);
    EXPECT_TRUE(QFileInfo::exists(kept));
    EXPECT_TRUE(QFileInfo::exists(elsewhere + "/mine.ico"));
    EXPECT_EQ(Names(elsewhere), QStringList({ "mine.ico" }));
    EXPECT_EQ(host.extracted, 0);
    EXPECT_EQ(host.statuses.last(), "Ready.");
    EXPECT_EQ(host.caption(Control::Button1), kScanTreeCaption);
}

INSTANTIATE_TEST_SUITE_P(Kinds, TempInTheWayTest,
    testing::Values(TempInTheWay { "File", false }, TempInTheWay { "Link", true }),
    glyphor::kit::RowName());

// One icon that cannot be captured, between two good executables: it is
// named in the status, counted, and the walk goes on.
TEST_F(ScanTree, AnIconThatCannotBeCapturedIsSkippedAndTheWalkGoesOn)
{
    MakeExe("A/a.exe", { MakeIcon(1) });
    MakeExe("B/b.exe", { IconImage {}, MakeIcon(2) });
    MakeExe("C/c.exe", { MakeIcon(3) });
    engine().scanTreeClick();
    EXPECT_EQ(Names(dst).size(), 3);
    EXPECT_EQ(host.extracted, 3);
    EXPECT_EQ(host.statusesStartingWith("Skipped"),
        QStringList({ "Skipped .... b.exe Icon 1 of 2: Icon image is not valid" }));
    ASSERT_EQ(engine().skipped().size(), 1);
    EXPECT_EQ(engine().skipped()[0].file, src + "/B/b.exe");
    EXPECT_EQ(engine().skipped()[0].number, 1);
    EXPECT_EQ(engine().skipped()[0].count, 2);
    EXPECT_TRUE(engine().leftIconsBehind());
    EXPECT_EQ(engine().skippedSummary(),
        "1 icon could not be captured and was skipped:\n" + src
            + "/B/b.exe Icon 1 of 2: Icon image is not valid");
    EXPECT_FALSE(QFileInfo::exists(temp()));
    EXPECT_EQ(host.statuses.last(), "Ready.");

    // The next run starts afresh.
    MakeExe("B/b.exe", { MakeIcon(4), MakeIcon(2) });
    engine().scanTreeClick();
    EXPECT_TRUE(engine().skipped().isEmpty());
    EXPECT_FALSE(engine().leftIconsBehind());
}

// A Temp holding all 10000 names (left by killed runs): what it holds is
// merged before the walk collects anything, and the walk goes on to its end.
TEST_F(ScanTree, AFullTempIsMergedFirstAndTheWalkGoesOn)
{
    folders.makeTemp();
    const QString one = PutIconFile(folders.path(), "one.ico", MakeIcon(7));
    const std::string target = files::ToNativePath(one);
    for (int i = 0; i < 10000; ++i) {
        const std::string name
            = files::ToNativePath(temp() + QString("/Icon%1.ico").arg(i, 4, 10, QChar('0')));
        ASSERT_EQ(::link(target.c_str(), name.c_str()), 0);
    }
    MakeExe("A/a.exe", { MakeIcon(1) });
    MakeExe("B/b.exe", { MakeIcon(2) });
    engine().setPumpPace(PumpPace::Steady);
    engine().scanTreeClick();
    EXPECT_TRUE(host.statusesStartingWith("No free icon file name left").isEmpty());
    EXPECT_FALSE(host.statusesStartingWith("Searching .... b.exe").isEmpty());
    EXPECT_FALSE(engine().leftIconsBehind());
    EXPECT_EQ(host.extracted, 2);
    EXPECT_EQ(Names(dst), QStringList({ "Icon0000.ico", "Icon0001.ico", "Icon0002.ico" }));
    EXPECT_FALSE(QFileInfo::exists(temp()));
}

// A stop click that reaches the button after the run has given it back its
// "Scan &Tree" caption does nothing: the idle window shows no animation.
TEST_F(ScanTree, AStopClickAfterTheCaptionIsBackLeavesTheWindowStill)
{
    // Pumps: 1 start, 2 merge start, 3 the end's first, after the caption.
    ClickTreeAtPump(3);
    engine().scanTreeClick();
    const QStringList animation = host.events.filter("animation");
    EXPECT_EQ(animation, QStringList({ "animation on", "animation off" }));
    EXPECT_EQ(host.stopState(), StopState::None);
    EXPECT_EQ(host.caption(Control::Button1), kScanTreeCaption);
}

// A failed copy reads the destination list again, as every copy does: a file
// put there meanwhile is compared with the icons that follow.
TEST_F(ScanTree, AFailedCopyReadsTheDestinationListAgain)
{
    test::FailingFileOps& failing = FailingOps();
    failing.failCopyOf = { "Icon0000.ico" };
    MakeExe("a.exe", { MakeIcon(1), MakeIcon(2) });
    const QString second = PutIconFile(folders.path(), "second.ico", MakeIcon(2));
    // When the merge has read the destination list, another program puts
    // icon 2 there, unseen by the list.
    QObject::connect(&browsers.destFiles, &FileListModel::itemsReplaced, [&] {
        if (QFileInfo::exists(second))
            QFile::rename(second, dst + "/other.ico");
    });
    engine().scanTreeClick();
    EXPECT_EQ(host.statusesStartingWith("Copy Failed (202)").size(), 1);
    EXPECT_EQ(host.statusesStartingWith("Comparing .... Icon0001.ico with other.ico").size(), 1);
    EXPECT_EQ(Names(dst), QStringList({ "other.ico" }));
    EXPECT_EQ(engine().copyFailures(), 1);
    EXPECT_EQ(engine().leftInTemp(), 1);
}

// Every comparison is named in the status, also at the steady pace where no
// pump falls inside a short merge.
TEST_F(ScanTree, EveryComparisonIsNamedAtTheSteadyPace)
{
    engine().setPumpPace(PumpPace::Steady, 60000);
    MakeExe("a.exe", { MakeIcon(1), MakeIcon(1), MakeIcon(2) });
    engine().scanTreeClick();
    // The second icon, equal to the first, shares its file.
    EXPECT_EQ(host.statusesStartingWith("Comparing"),
        QStringList({ "Comparing .... Icon0000.ico with Icon0000.ico",
            "Comparing .... Icon0001.ico with Icon0000.ico" }));
}

TEST_F(ScanTree, ClosingTheWindowStopsTheRunWithoutTouchingIt)
{
    MakeExe("a.exe", { MakeIcon(1) });
    MakeExe("b.exe", { MakeIcon(2) });
    host.atPump[2] = [this] { host.isClosing = true; };
    engine().scanTreeClick();
    const int after = host.events.indexOf("pump", host.events.indexOf("pump") + 1);
    EXPECT_EQ(host.events.size(), after + 1) << host.events.join("|").toStdString();
    EXPECT_TRUE(Names(dst).isEmpty());
    EXPECT_EQ(Names(temp()).size(), 1);
    EXPECT_FALSE(engine().running());
}

TEST_F(ScanTree, CorpusIntoAnEmptyDestinationKeepsOneFilePerSignatureInCaptureOrder)
{
    const QStringList files
        = { "public/libwine-amd64/regedit.exe", "public/libwine-amd64/taskmgr.exe",
              "public/libwine-amd64/comctl32.dll", "public/libwine-amd64/user32.dll" };
    PlatformIconProvider platform;
    std::vector<QByteArray> expected;
    QSet<QByteArray> seen;
    QTemporaryDir scratch;
    CaptureObjects reference;
    char folder = 'a';
    for (const QString& f : files) {
        const QString path = kit::CorpusFile(f);
        if (path.isEmpty())
            GTEST_SKIP() << "corpus absent";
        const QString copy = src + "/" + QChar(folder++) + "/" + QFileInfo(path).fileName();
        QDir().mkpath(QFileInfo(copy).path());
        ASSERT_TRUE(QFile::copy(path, copy));
        for (int i = 0; i < platform.count(copy); ++i) {
            const QByteArray bytes
                = Bytes(CaptureIcon(reference, platform, copy, i, scratch.path()));
            if (!seen.contains(bytes)) {
                seen.insert(bytes);
                expected.push_back(bytes);
            }
        }
    }
    SetIconCounter(0);
    HarvestController corpusRun(host, browsers, objects, platform);
    corpusRun.scanTreeClick();
    const QStringList names = Names(dst);
    ASSERT_EQ(names.size(), int(expected.size()));
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(Bytes(dst + "/" + names[i]), expected[std::size_t(i)]) << i;
    EXPECT_FALSE(QFileInfo::exists(temp()));

    corpusRun.scanTreeClick();
    EXPECT_EQ(corpusRun.added(), 0);
    EXPECT_EQ(Names(dst).size(), names.size());
}

} // namespace
} // namespace glyphor

namespace glyphor {
namespace {

// The merge's sorted insertion into the destination list must give what a
// read of the folder gives.
TEST(DestinationList, AddingAFileGivesWhatAReadGives)
{
    QTemporaryDir dir;
    for (const char* n : { "Icon0000.ico", "abc.ico", "Zed.ico", "icon0005.ICO", "note.txt" })
        QFile(dir.filePath(n)).open(QIODevice::WriteOnly);
    FileListModel incremental;
    incremental.setMask("*.ico");
    incremental.setDirectory(dir.path());
    for (const char* n : { "Icon0003.ico", "b.ico", "ZZ.ico", ".hidden.ico", "x.txt" }) {
        QFile(dir.filePath(n)).open(QIODevice::WriteOnly);
        incremental.addFile(n);
    }
    FileListModel read;
    read.setMask("*.ico");
    read.setDirectory(dir.path());
    EXPECT_EQ(incremental.items(), read.items());
}

} // namespace
} // namespace glyphor
