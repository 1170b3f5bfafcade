#include "platform/Volumes.h"

#include "files/NativePath.h"

#include <gtest/gtest.h>

using namespace glyphor::platform;

namespace {

const char kMountInfo[] = R"(22 27 0:21 / /proc rw,relatime - proc proc rw
24 27 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw
25 24 0:23 / /dev/shm rw,relatime - tmpfs tmpfs rw
27 1 254:0 / / rw,relatime - ext4 /dev/vda rw
31 23 0:28 / /sys/fs/cgroup rw,relatime - tmpfs tmpfs rw
50 27 8:17 / /media/me/My\040Stick rw,nosuid shared:5 - vfat /dev/sdb1 rw
51 27 0:40 / /mnt/share rw shared:7 master:2 - cifs //server/share rw
52 27 11:0 / /media/cd ro - iso9660 /dev/sr0 ro
53 27 0:41 / /tmp rw - tmpfs tmpfs rw
54 27 254:1 / /home rw - ext4 /dev/vdb rw
55 27 254:2 / /home rw - xfs /dev/vdc rw
56 27 0:42 / /run/user/1000 rw - tmpfs tmpfs rw
garbage line
)";

TEST(Volumes, MountInfoGivesTheVolumesAUserWouldPick)
{
    const QVector<Volume> volumes = VolumesFromMountInfo(kMountInfo, { { "/dev/sr0", "AUDIO CD" } },
        [](const QString& device) { return device == "/dev/sdb1"; });
    struct Expected {
        const char* root;
        VolumeKind kind;
        const char* label;
        const char* source;
    };
    const Expected expected[] = {
        { "/", VolumeKind::Fixed, "", "/dev/vda" },
        { "/home", VolumeKind::Fixed, "", "/dev/vdc" }, // the later mount hides the earlier
        { "/media/cd", VolumeKind::CdRom, "AUDIO CD", "/dev/sr0" },
        { "/media/me/My Stick", VolumeKind::Removable, "", "/dev/sdb1" },
        { "/mnt/share", VolumeKind::Network, "", "//server/share" },
        { "/tmp", VolumeKind::Ram, "", "tmpfs" },
    };
    ASSERT_EQ(volumes.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(volumes[i].root, expected[i].root);
        EXPECT_EQ(volumes[i].kind, expected[i].kind) << expected[i].root;
        EXPECT_EQ(volumes[i].label, expected[i].label) << expected[i].root;
        EXPECT_EQ(volumes[i].source, expected[i].source) << expected[i].root;
    }
}

// The kernel writes a mount point's bytes as they are, blanks and the like
// escaped in octal: a name that is not UTF-8 keeps its bytes.
TEST(Volumes, AMountPointThatIsNotUtf8KeepsItsBytes)
{
    const QVector<Volume> volumes
        = VolumesFromMountInfo("27 1 254:0 / / rw - ext4 /dev/vda rw\n"
                               "60 27 8:33 / /media/caf\xE9\\040\\351 rw - vfat /dev/sdc1 rw\n");
    ASSERT_EQ(volumes.size(), 2);
    EXPECT_EQ(glyphor::files::ToNativePath(volumes[1].root), "/media/caf\xE9 \xE9");
}

TEST(Volumes, TheRootOfAPathIsTheLongestMountAboveIt)
{
    const QVector<Volume> volumes = { { "/", VolumeKind::Fixed, {}, {} },
        { "/media", VolumeKind::Fixed, {}, {} }, { "/media/usb", VolumeKind::Removable, {}, {} } };
    EXPECT_EQ(VolumeRootOf("/media/usb/x", volumes), "/media/usb");
    EXPECT_EQ(VolumeRootOf("/media/usb", volumes), "/media/usb");
    EXPECT_EQ(VolumeRootOf("/media/usbkey", volumes), "/media");
    EXPECT_EQ(VolumeRootOf("/etc", volumes), "/");
}

TEST(Volumes, TheSourceCanBeReplaced)
{
    SetVolumeSource([] { return QVector<Volume> { { "/x", VolumeKind::Ram, {}, {} } }; });
    EXPECT_EQ(MountedVolumes().size(), 1);
    SetVolumeSource({});
    EXPECT_FALSE(MountedVolumes().isEmpty());
    EXPECT_EQ(MountedVolumes().front().root, "/");
}

} // namespace
