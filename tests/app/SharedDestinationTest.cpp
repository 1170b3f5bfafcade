#include "RunFixture.h"

#include "util/Error.h"

namespace glyphor {
namespace {

using test::MakeIcon;
using test::RunFixture;

class SharedDestination : public RunFixture { };

// Another run into the same destination, in this process or another, holds
// the destination's Temp: a run started meanwhile is refused before it changes
// anything, and the run in progress loses nothing.
TEST_F(SharedDestination, ASecondRunIsRefusedAndNothingIsLost)
{
    MakeExe("a.exe", { MakeIcon(1), MakeIcon(2) });
    MakeExe("b.exe", { MakeIcon(3) });
    test::FakeHost secondHost;
    Browsers secondBrowsers;
    secondBrowsers.sourceDirs.setDirectory(src);
    secondBrowsers.destDirs.setDirectory(dst);
    CaptureObjects secondObjects;
    HarvestController second(secondHost, secondBrowsers, secondObjects, icons);
    std::string refusal;
    // At the pump after the first capture: the collected icon lies in Temp.
    host.atPump[2] = [&] {
        try {
            second.scanTreeClick();
        } catch (const Error& e) {
            refusal = e.what();
        }
    };
    engine().scanTreeClick();
    EXPECT_EQ(refusal,
        "Another harvest into " + dst.toStdString()
            + " is in progress; try again when it has ended");
    EXPECT_TRUE(secondHost.events.isEmpty()) << secondHost.events.join("|").toStdString();
    EXPECT_FALSE(second.running());
    EXPECT_EQ(Names(dst), QStringList({ "Icon0000.ico", "Icon0001.ico", "Icon0002.ico" }));
    EXPECT_FALSE(QFileInfo::exists(temp()));

    // Once the first has ended, the second runs, and finds every icon there.
    second.scanTreeClick();
    EXPECT_EQ(second.added(), 0);
    EXPECT_EQ(Names(dst).size(), 3);
}

// A run killed while it wrote leaves hidden temporaries in Temp (captures and
// copies are both written there). The next run, which holds Temp, removes them
// and merges the complete icons that were left.
TEST_F(SharedDestination, AKilledRunsTemporariesGoAndItsIconsAreMerged)
{
    folders.makeTemp();
    PutIconFile(temp(), "Icon0005.ico", MakeIcon(7));
    for (const char* name : { ".Icon0006.ico.aB3xY9", ".Icon0005.ico.Q1w2E3" }) {
        QFile half(temp() + "/" + name);
        ASSERT_TRUE(half.open(QIODevice::WriteOnly));
        half.write(QByteArray(300, 'x'));
    }
    // Not the program's: kept, so Temp stays, the program's still.
    QFile(temp() + "/.keep").open(QIODevice::WriteOnly);
    MakeExe("a.exe", { MakeIcon(1) });
    engine().scanTreeClick();
    EXPECT_EQ(Names(dst).size(), 2);
    EXPECT_EQ(QDir(temp()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
        QStringList({ ".glyphor2-temp", ".keep" }));
    EXPECT_EQ(engine().leftInTemp(), 0);
}

// What another program writes under the next icon name while a copy is under
// way is never replaced: the copy takes the next free name.
TEST_F(SharedDestination, AFolderUnderTheNextNameIsPassedOver)
{
    // NextIconFileName does not count a folder as a taken name; the rename
    // that must not replace finds it there all the same.
    ASSERT_TRUE(QDir(dst).mkdir("Icon0000.ico"));
    MakeExe("a.exe", { MakeIcon(1) });
    engine().scanTreeClick();
    EXPECT_TRUE(QFileInfo(dst + "/Icon0000.ico").isDir());
    EXPECT_EQ(Names(dst), QStringList({ "Icon0001.ico" }));
    EXPECT_FALSE(engine().leftIconsBehind());

    CaptureObjects objects;
    SetIconCounter(0);
    EXPECT_EQ(SaveIcon(objects, icons, dst, 0, "a.exe"), dst + "/Icon0002.ico");
}

} // namespace
} // namespace glyphor
