#include "browse/Browsers.h"
#include "util/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace glyphor {
namespace {

class BrowsersTest : public testing::Test {
protected:
    void SetUp() override
    {
        root = QDir(dir.path()).canonicalPath();
        for (const char* folder : { "src", "dst", "gone" })
            QDir(root).mkpath(folder);
        for (const char* file :
            { "src/a.exe", "src/b.DLL", "src/c.txt", "src/d.ico", "dst/Icon0000.ico", "dst/e.exe" })
            QFile(root + "/" + file).open(QIODevice::WriteOnly);
    }

    QTemporaryDir dir;
    QString root;
};

TEST_F(BrowsersTest, EachFileListFollowsItsFolderListWithItsMask)
{
    Browsers browsers;
    browsers.sourceDirs.setDirectory(root + "/src");
    browsers.destDirs.setDirectory(root + "/dst");
    EXPECT_EQ(browsers.sourceFiles.directory(), root + "/src");
    EXPECT_EQ(browsers.sourceFiles.items(), QStringList({ "a.exe", "b.DLL" }));
    EXPECT_EQ(browsers.destFiles.directory(), root + "/dst");
    EXPECT_EQ(browsers.destFiles.items(), QStringList({ "Icon0000.ico" }));
}

// A folder that cannot be entered when its list changes: without a guard the
// error reaches whoever changed the folder; with one, the guard has it. The
// file list stays where it was either way.
TEST_F(BrowsersTest, AFolderThatCannotBeEnteredReachesTheGuardOrTheCaller)
{
    std::string guarded;
    Browsers withGuard([&](const std::function<void()>& work) {
        try {
            work();
        } catch (const EInOutError& e) {
            guarded = e.what();
        }
    });
    Browsers without;
    for (Browsers* browsers : { &withGuard, &without }) {
        browsers->sourceDirs.setDirectory(root + "/gone");
        browsers->sourceFiles.setDirectory(root + "/src");
    }
    QDir(root + "/gone").removeRecursively();

    emit withGuard.sourceDirs.changed();
    EXPECT_FALSE(guarded.empty());
    EXPECT_EQ(withGuard.sourceFiles.directory(), root + "/src");

    EXPECT_THROW(emit without.sourceDirs.changed(), EInOutError);
    EXPECT_EQ(without.sourceFiles.directory(), root + "/src");
}

} // namespace
} // namespace glyphor
