#include "browse/DriveListModel.h"

#include "TestFolders.h"
#include "files/NativePath.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

using namespace glyphor;
using platform::Volume;
using platform::VolumeKind;

namespace {

class DriveListModelTest : public ::testing::Test {
protected:
    DriveListModelTest()
    {
        platform::SetVolumeSource([] {
            return QVector<Volume> {
                { "/", VolumeKind::Fixed, {}, "/dev/sda1" },
                { "/media/Stick", VolumeKind::Removable, "My Disk", "/dev/sdb1" },
                { "/mnt/share", VolumeKind::Network, {}, "//Server/Share" },
                { "/mnt/cd", VolumeKind::CdRom, "DISC", "/dev/sr0" },
                { "/tmp", VolumeKind::Ram, {}, "tmpfs" },
                // A mount point and label that are not UTF-8 (a stick of an old system).
                { files::FromNativePath("/media/caf\xE9"), VolumeKind::Removable,
                    files::FromNativePath("\xC9t\xE9"), "/dev/sdc1" },
            };
        });
        platform::ChangeDirectory("/");
    }
    ~DriveListModelTest() override { platform::SetVolumeSource({}); }
    test::CurrentDirectoryGuard cwd;
};

TEST_F(DriveListModelTest, ItemsShowMountPointAndLabelInTheChosenCase)
{
    DriveListModel model;
    QStringList lower, upper;
    for (const auto& item : model.items())
        lower << item.text;
    model.setTextCase(DriveListModel::TextCase::Upper);
    for (const auto& item : model.items())
        upper << item.text;
    EXPECT_EQ(lower,
        (QStringList { "/ []", "/media/Stick [my disk]", "/mnt/share //server/share",
            "/mnt/cd [disc]", "/tmp []", "/media/caf\\xE9 [\\xC9t\\xE9]" }));
    EXPECT_EQ(upper,
        (QStringList { "/ []", "/media/Stick [MY DISK]", "/mnt/share //SERVER/SHARE",
            "/mnt/cd [DISC]", "/tmp []", "/media/caf\\xE9 [\\xC9T\\xE9]" }));
    EXPECT_EQ(model.items()[3].kind, VolumeKind::CdRom);
    EXPECT_EQ(model.drive(), "/") << "the volume of the process's directory";
    EXPECT_EQ(model.selectedIndex(), 0);
    // The item is shown readably; the drive it picks is the mount point itself.
    model.pick(5);
    EXPECT_EQ(files::ToNativePath(model.drive()), "/media/caf\xE9");
}

TEST_F(DriveListModelTest, ItemsInWordsNameTheKindAndTheLabelAsStored)
{
    // Screen readers read the items' brackets aloud; the words say the same
    // without them, with the label as the volume has it, whatever the case.
    DriveListModel model;
    model.setTextCase(DriveListModel::TextCase::Upper);
    QStringList spoken;
    for (const auto& item : model.items())
        spoken << item.spoken;
    EXPECT_EQ(spoken,
        (QStringList { "/, fixed drive, no label", "/media/Stick, removable drive, label My Disk",
            "/mnt/share, network drive, //Server/Share", "/mnt/cd, CD-ROM drive, label DISC",
            "/tmp, RAM disk, no label", "/media/caf\\xE9, removable drive, label \\xC9t\\xE9" }));
}

TEST_F(DriveListModelTest, SettingTheDriveFiresOnlyOnAChange)
{
    DriveListModel model;
    int changes = 0;
    QObject::connect(&model, &DriveListModel::changed, [&] { ++changes; });
    model.setDrive("/");
    EXPECT_EQ(changes, 0);
    model.setDrive("/tmp");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(model.selectedIndex(), 4);
    model.setDrive("/nowhere");
    EXPECT_EQ(model.drive(), "/nowhere");
    EXPECT_EQ(model.selectedIndex(), 4) << "no item: the selection stays";
    model.setDrive(QString());
    EXPECT_EQ(model.selectedIndex(), -1);
    EXPECT_EQ(changes, 3);
}

TEST_F(DriveListModelTest, APickClicksAndChangesAndTheSameDriveStillChangesOnce)
{
    DriveListModel model;
    QStringList events;
    QObject::connect(&model, &DriveListModel::clicked, [&] { events << "click"; });
    QObject::connect(&model, &DriveListModel::changed, [&] { events << "change"; });
    model.pick(0);
    EXPECT_EQ(events, (QStringList { "click", "change" }));
    events.clear();
    model.pick(1);
    EXPECT_EQ(events, (QStringList { "click", "change", "change" }));
    EXPECT_EQ(model.drive(), "/media/Stick");
}

} // namespace
