#include "browse/DirectoryListModel.h"

#include "TestFolders.h"
#include "files/NativePath.h"
#include "kit/NativeFiles.h"
#include "platform/FileSystem.h"
#include "platform/Volumes.h"
#include "util/Error.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace glyphor;
using Kind = DirectoryListModel::EntryKind;
using glyphor::kit::MakeFiles;
using glyphor::kit::MakeFolders;

namespace {

class DirectoryListModelTest : public ::testing::Test {
protected:
    ~DirectoryListModelTest() override { platform::SetVolumeSource({}); }
    test::CurrentDirectoryGuard cwd;
    kit::ScratchFolder tmp;
    QString root() const { return kit::PathOf(tmp); }
};

QStringList Texts(const DirectoryListModel& model, Kind kind)
{
    QStringList out;
    for (const auto& e : model.entries())
        if (e.kind == kind)
            out << e.text;
    return out;
}

TEST_F(DirectoryListModelTest, EntriesForAFolderThreeLevelsDown)
{
    const QString three = root() + "/one/two/three";
    MakeFolders(three, { "Zeta", "alpha", "Beta", ".hidden", "Same", "same" });
    MakeFiles(three, { "file.txt" });
    DirectoryListModel model;
    int changes = 0;
    QObject::connect(&model, &DirectoryListModel::changed, [&] { ++changes; });
    model.setDirectory(three);

    EXPECT_EQ(changes, 1);
    QStringList above = three.split('/', Qt::SkipEmptyParts);
    above.removeLast();
    above.prepend("/");
    EXPECT_EQ(Texts(model, Kind::Open), above);
    EXPECT_EQ(Texts(model, Kind::Current), QStringList { "three" });
    // "Same" and "same" compare equal: one of them is shown.
    const QStringList closed = Texts(model, Kind::Closed);
    ASSERT_EQ(closed.size(), 4);
    EXPECT_EQ(closed.mid(0, 2), (QStringList { "alpha", "Beta" }));
    EXPECT_EQ(closed.at(2).toLower(), "same");
    EXPECT_EQ(closed.at(3), "Zeta");
    EXPECT_EQ(model.currentIndex(), above.size());
    EXPECT_EQ(model.selectedIndex(), model.currentIndex());

    // Entry paths: the root, each ancestor, the folder itself, a subfolder.
    EXPECT_EQ(model.entryPath(0), "/");
    EXPECT_EQ(model.entryPath(model.currentIndex() - 1), root() + "/one/two");
    EXPECT_EQ(model.entryPath(model.currentIndex() - 2), root() + "/one");
    EXPECT_EQ(model.entryPath(model.currentIndex()), three);
    EXPECT_EQ(model.entryPath(model.currentIndex() + 1), three + "/alpha");

    model.setSelectedIndex(model.currentIndex() - 2);
    model.openSelected();
    EXPECT_EQ(model.directory(), root() + "/one");
    EXPECT_EQ(changes, 2);
    model.setDirectory(root() + "/one");
    EXPECT_EQ(changes, 2) << "the folder already shown changes nothing";
}

// Folders whose names are not UTF-8 are listed apart from each other, are
// entered, and the path of every entry leads back to them.
TEST_F(DirectoryListModelTest, FoldersThatAreNotUtf8AreListedAndEntered)
{
    using files::FromNativePath;
    const QString top = root() + "/"
        + FromNativePath("Programme \xB4"
                         "94");
    MakeFolders(top,
        { FromNativePath("x\x80"), FromNativePath("x\x81"), FromNativePath("Caf\xE9"), "abc" });
    DirectoryListModel model;
    model.setDirectory(top);
    EXPECT_EQ(model.directory(), top);
    const QStringList closed = Texts(model, Kind::Closed);
    ASSERT_EQ(closed.size(), 4);
    EXPECT_EQ(closed,
        (QStringList {
            "abc", FromNativePath("Caf\xE9"), FromNativePath("x\x80"), FromNativePath("x\x81") }));
    EXPECT_EQ(Texts(model, Kind::Current),
        QStringList { FromNativePath("Programme \xB4"
                                     "94") });

    model.setSelectedIndex(model.currentIndex() + 3);
    model.openSelected();
    EXPECT_EQ(files::ToNativePath(model.directory()), files::ToNativePath(top) + "/x\x80");
    EXPECT_EQ(platform::CurrentDirectory(), model.directory());
    EXPECT_EQ(model.entryPath(model.currentIndex() - 1), top);
    model.setSelectedIndex(model.currentIndex() - 1);
    model.openSelected();
    EXPECT_EQ(model.directory(), top);
    glyphor::kit::RemoveAll(top); // beyond what the temporary folder can remove
}

// "*" and "?" are ordinary characters in a folder's name: such a folder is
// shown, and entered by a double click or by its path, never taken for a
// mask over its parent.
TEST_F(DirectoryListModelTest, FoldersNamedLikeMasksAreEntered)
{
    const QString top = root() + "/top";
    MakeFolders(top, { "ic*ns", "a?" });
    DirectoryListModel model;
    model.setDirectory(top + "/ic*ns");
    EXPECT_EQ(model.directory(), top + "/ic*ns");
    model.setDirectory(top);
    model.setSelectedIndex(model.currentIndex() + 2);
    model.openSelected();
    EXPECT_EQ(model.directory(), top + "/ic*ns");
}

TEST_F(DirectoryListModelTest, AtTheRootTheRootIsTheCurrentEntry)
{
    DirectoryListModel model;
    model.setDirectory("/");
    ASSERT_FALSE(model.entries().isEmpty());
    EXPECT_EQ(model.entries()[0].text, "/");
    EXPECT_EQ(model.entries()[0].kind, Kind::Current);
    EXPECT_EQ(model.currentIndex(), 0);
    EXPECT_TRUE(Texts(model, Kind::Open).isEmpty());
    EXPECT_TRUE(Texts(model, Kind::Closed).contains("tmp"));
    EXPECT_EQ(model.entryPath(model.currentIndex() + 1), "/" + model.entries()[1].text);
}

TEST_F(DirectoryListModelTest, DotDotGoesAboveTheProcessDirectoryNotTheList)
{
    MakeFolders(root(), { "list/inner", "process/deep" });
    DirectoryListModel model;
    model.setDirectory(root() + "/list/inner");
    platform::ChangeDirectory(root() + "/process/deep");
    model.setDirectory("..");
    EXPECT_EQ(model.directory(), root() + "/process");
    EXPECT_EQ(platform::CurrentDirectory(), root() + "/process");
}

TEST_F(DirectoryListModelTest, FolderThatCannotBeEnteredRaisesAndKeepsTheList)
{
    MakeFolders(root(), { "here/sub" });
    DirectoryListModel model;
    model.setDirectory(root() + "/here");
    const auto before = model.entries().size();
    EXPECT_THROW(model.setDirectory(root() + "/missing"), EInOutError);
    EXPECT_EQ(model.directory(), root() + "/here");
    EXPECT_EQ(model.entries().size(), before);

    // Its own folder gone, the list still moves on.
    QDir(root() + "/here").removeRecursively();
    model.setDirectory(root());
    EXPECT_EQ(model.directory(), root());
}

TEST_F(DirectoryListModelTest, DriveGoesToTheLastFolderVisitedOnThatVolume)
{
    const QString volume = root() + "/vol";
    MakeFolders(root(), { "vol/a/b", "other" });
    platform::SetVolumeSource([&] {
        return QVector<platform::Volume> { { "/", platform::VolumeKind::Fixed, {}, {} },
            { volume, platform::VolumeKind::Removable, {}, {} } };
    });
    DirectoryListModel model;
    model.setDirectory(root() + "/other");
    model.setDirectory(volume + "/a/b");
    EXPECT_EQ(model.drive(), volume);

    model.setDrive("/");
    EXPECT_EQ(model.directory(), root() + "/other");
    model.setDrive(volume);
    EXPECT_EQ(model.directory(), volume + "/a/b");

    model.setDrive("/");
    QDir(volume + "/a").removeRecursively();
    model.setDrive(volume);
    EXPECT_EQ(model.directory(), volume) << "a removed folder gives way to the root";
}

} // namespace
