#include "RunFixture.h"
#include "kit/Fifo.h"
#include "kit/ScanFolders.h"

#include "kit/NamedRows.h"
#include "util/Error.h"

#include <cstring>

namespace glyphor {
namespace {

using test::MakeIcon;

class ScanFile : public test::RunFixture {
protected:
    // Selects name in the source file list, as a click does.
    void Select(const QString& name)
    {
        browsers.sourceFiles.reread();
        browsers.sourceFiles.select(browsers.sourceFiles.items().indexOf(name));
        ASSERT_EQ(browsers.sourceFiles.fileName(), src + "/" + name);
    }
};

TEST_F(ScanFile, ThreeIconsIntoAnEmptyDestination)
{
    MakeExe("app.exe", { MakeIcon(1), MakeIcon(2), MakeIcon(3) });
    Select("app.exe");
    engine().scanFileClick();
    const QString file = src + "/app.exe";
    EXPECT_EQ(host.statuses,
        QStringList({ "Busy.", "Searching .... " + file + " Icon 1 of 3",
            "Searching .... " + file + " Icon 2 of 3", "Searching .... " + file + " Icon 3 of 3",
            "Comparing .... Icon0001.ico with Icon0000.ico",
            "Comparing .... Icon0002.ico with Icon0000.ico",
            "Comparing .... Icon0002.ico with Icon0001.ico", "Ready." }));
    EXPECT_EQ(Names(dst), QStringList({ "Icon0000.ico", "Icon0001.ico", "Icon0002.ico" }));
    EXPECT_EQ(host.extracted, 3);
    EXPECT_FALSE(QFileInfo::exists(temp()));

    // Again (the run's end read the list again, so the file is picked anew):
    // nothing added, but every icon counted.
    Select("app.exe");
    engine().scanFileClick();
    EXPECT_EQ(Names(dst).size(), 3);
    EXPECT_EQ(engine().added(), 0);
    EXPECT_EQ(host.extracted, 6);
}

TEST_F(ScanFile, TheSamePictureTwiceGivesOneFile)
{
    MakeExe("twice.dll", { MakeIcon(4), MakeIcon(4) });
    Select("twice.dll");
    engine().scanFileClick();
    EXPECT_EQ(Names(dst), QStringList({ "Icon0000.ico" }));
}

TEST_F(ScanFile, BusyAndIdleChangeTheControlsInTheirOrder)
{
    MakeExe("none.exe", {});
    Select("none.exe");
    engine().scanFileClick();
    QStringList steps;
    for (const QString& e : host.events)
        if (e != "pump")
            steps << e;
    EXPECT_EQ(steps,
        QStringList({ "animation on", "status Busy.", "disable Button1", "disable Button2",
            "disable Button3", "caption Button4 &Stop", "disable DirectoryListBox1",
            "disable DriveComboBox1", "disable DirectoryListBox2", "disable DriveComboBox2",
            "disable FileListBox2", "viewer icon", "status Ready.", "caption Button4 Scan &File",
            "enable Button1", "animation off", "enable DirectoryListBox1", "enable DriveComboBox1",
            "enable DirectoryListBox2", "enable DriveComboBox2", "enable Button2", "enable Button3",
            "enable FileListBox2" }));
    // A file without icons: nothing but the two texts.
    EXPECT_EQ(host.statuses, QStringList({ "Busy.", "Ready." }));
    EXPECT_TRUE(Names(dst).isEmpty());
}

class ScanFileStop : public ScanFile, public testing::WithParamInterface<test::CompareStop> { };

TEST_P(ScanFileStop, EveryIconIsCapturedThenTheCompareQuestionComes)
{
    const test::CompareStop& c = GetParam();
    DestinationWithOneIcon();
    MakeExe("app.exe", { MakeIcon(1), MakeIcon(2), MakeIcon(3) });
    Select("app.exe");
    ClickFileAtPump(2); // after the first capture
    host.compareAnswers = { c.answer };
    engine().scanFileClick();
    EXPECT_EQ(host.extracted, 3);
    EXPECT_EQ(host.eventsStartingWith("ask"), QStringList({ "ask compare" }));
    // Asked at the first comparison, before any other.
    const int asked = host.events.indexOf("ask compare");
    EXPECT_EQ(host.events.mid(0, asked).filter("Comparing").size(), 1);
    EXPECT_EQ(Names(dst).size(), c.destFiles);
    EXPECT_EQ(host.statusesStartingWith("Coping .... ").size(), c.copiedWithoutCompare);
    EXPECT_FALSE(QFileInfo::exists(temp()));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ScanFileStop, testing::ValuesIn(test::kCompareStops), glyphor::kit::RowName());

TEST_F(ScanFile, AStopWithNothingToCompareStaysUntilTheNextRun)
{
    MakeExe("one.exe", { MakeIcon(1) });
    Select("one.exe");
    ClickFileAtPump(2);
    engine().scanFileClick();
    EXPECT_TRUE(host.eventsStartingWith("ask").isEmpty());
    EXPECT_EQ(Names(dst).size(), 1);
    EXPECT_EQ(host.stopState(), StopState::StopRequested);
    engine().scanFileClick();
    EXPECT_EQ(host.stopState(), StopState::None);
}

TEST_F(ScanFile, TheFileIsFixedWhenTheRunStarts)
{
    MakeExe("a.exe", { MakeIcon(1), MakeIcon(2) });
    MakeExe("b.exe", { MakeIcon(3) });
    Select("a.exe");
    host.atPump[2]
        = [this] { browsers.sourceFiles.select(browsers.sourceFiles.items().indexOf("b.exe")); };
    engine().scanFileClick();
    EXPECT_EQ(host.statusesStartingWith("Searching .... " + src + "/a.exe").size(), 2);
    EXPECT_EQ(Names(dst).size(), 2);
}

TEST_F(ScanFile, IconsLeftByAStoppedTreeScanAreMergedToo)
{
    MakeExe("a.exe", { MakeIcon(1) });
    MakeExe("b.exe", { MakeIcon(2) });
    ClickTreeAtPump(2);
    host.searchAnswers = { StopAnswer::No };
    engine().scanTreeClick();
    ASSERT_EQ(Names(temp()).size(), 1);
    host.atPump.clear();
    MakeExe("c.exe", { MakeIcon(3) });
    Select("c.exe");
    engine().scanFileClick();
    EXPECT_EQ(Names(dst).size(), 2);
    EXPECT_FALSE(QFileInfo::exists(temp()));
}

// Faults through the seam: each ends as it should, with no icon lost.
TEST_F(ScanFile, ACopyThatFailsKeepsItsCollectedFile)
{
    test::FailingFileOps& failing = FailingOps();
    failing.failCopyOf = { "Icon0000.ico" };
    MakeExe("app.exe", { MakeIcon(1), MakeIcon(2) });
    Select("app.exe");
    engine().scanFileClick();
    EXPECT_EQ(host.statusesStartingWith("Copy Failed (202)").size(), 1);
    EXPECT_EQ(Names(dst).size(), 1);
    EXPECT_EQ(Names(temp()), QStringList({ "Icon0000.ico" }));
}

TEST_F(ScanFile, AFifoAmongTheCollectedIconsIsKeptNotCopied)
{
    folders.makeTemp();
    test::FedFifo fed(temp() + "/Icon0009.ico");
    ASSERT_TRUE(fed.made);
    MakeExe("app.exe", { MakeIcon(1) });
    Select("app.exe");
    engine().scanFileClick();
    EXPECT_EQ(host.statusesStartingWith("Copy Failed (202)").size(), 1);
    EXPECT_EQ(Names(dst), QStringList({ "Icon0000.ico" }));
    EXPECT_TRUE(QFileInfo::exists(temp() + "/Icon0009.ico"));
}

// A destination file that cannot be read compares as different from every
// icon, as a short file does, instead of ending every merge.
struct UnreadableDestination {
    const char* name;
    bool danglingLink; // a link named x.ico that leads nowhere, else a file without read permission
};

void PrintTo(const UnreadableDestination& c, std::ostream* os)
{
    *os << c.name;
}

class UnreadableDestinationTest : public ScanFile,
                                  public testing::WithParamInterface<UnreadableDestination> { };

TEST_P(UnreadableDestinationTest, ComparesAsDifferentAndTheMergeGoesOn)
{
    test::FailingFileOps& failing = FailingOps();
    if (GetParam().danglingLink) {
        ASSERT_TRUE(QFile::link(dst + "/nowhere.ico", dst + "/D.ico"));
        browsers.destFiles.reread();
    } else {
        DestinationWithOneIcon();
        failing.failOpenOf = { "D.ico" };
    }
    MakeExe("app.exe", { MakeIcon(1), MakeIcon(2) });
    Select("app.exe");
    engine().scanFileClick();
    EXPECT_EQ(host.statuses.last(), "Ready.");
    // System: a dangling link is listed too.
    EXPECT_EQ(kit::WithoutCatalogue(QDir(dst).entryList(QDir::Files | QDir::System, QDir::Name)),
        QStringList({ "D.ico", "Icon0000.ico", "Icon0001.ico" }));
    EXPECT_FALSE(QFileInfo::exists(temp()));
    EXPECT_FALSE(engine().leftIconsBehind());
    EXPECT_EQ(host.statusesStartingWith("Comparing .... Icon0000.ico with D.ico").size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnreadableDestinationTest,
    testing::Values(UnreadableDestination { "NoReadPermission", false },
        UnreadableDestination { "DanglingLink", true }),
    glyphor::kit::RowName());

TEST_F(ScanFile, AnErrorOfTheEndDoesNotEndTheRunTwice)
{
    MakeExe("app.exe", { MakeIcon(1) });
    Select("app.exe");
    // The source folder goes away during the run: the end cannot go back to it.
    host.atPump[2] = [this] { QDir(src).removeRecursively(); };
    EXPECT_THROW(engine().scanFileClick(), EInOutError);
    EXPECT_EQ(host.statusesStartingWith("Ready.").size(), 1);
    EXPECT_EQ(host.eventsStartingWith("caption Button4 Scan &File").size(), 1);
    EXPECT_EQ(Names(dst).size(), 1);
    EXPECT_FALSE(engine().running());
}

TEST_F(ScanFile, ACollectedFileThatCannotBeDeletedStaysForTheNextRun)
{
    test::FailingFileOps& failing = FailingOps();
    failing.failDeleteOf = { "Icon0001.ico" };
    MakeExe("app.exe", { MakeIcon(1), MakeIcon(2) });
    Select("app.exe");
    engine().scanFileClick();
    EXPECT_EQ(Names(dst).size(), 2);
    EXPECT_EQ(Names(temp()), QStringList({ "Icon0001.ico" }));
    // The next run compares it again and finds it already there.
    failing.failDeleteOf.clear();
    engine().scanFileClick();
    EXPECT_EQ(Names(dst).size(), 2);
    EXPECT_FALSE(QFileInfo::exists(temp()));
}

TEST_F(ScanFile, ATempFolderThatCannotBeCreatedFailsTheFirstCapture)
{
    test::FailingFileOps& failing = FailingOps();
    failing.failMkdir = true;
    MakeExe("app.exe", { MakeIcon(1) });
    Select("app.exe");
    try {
        engine().scanFileClick();
        FAIL() << "no error";
    } catch (const Error& e) {
        // A destination on read-only media: the path and the system's reason.
        EXPECT_EQ(std::string(e.what()),
            "Cannot create file " + temp().toStdString()
                + "/Icon0000.ico: " + std::strerror(EROFS));
    }
    EXPECT_EQ(host.statuses.last(), "Ready.");
    EXPECT_EQ(host.extracted, 0);
    EXPECT_TRUE(Names(dst).isEmpty());
}

} // namespace
} // namespace glyphor
