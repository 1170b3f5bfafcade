#include "platform/Volumes.h"

#include "files/InputFile.h"
#include "files/NativePath.h"
#include "platform/FileSystem.h"
#include "util/Error.h"

#include <QSet>

#include <algorithm>
#include <optional>
#include <vector>

namespace glyphor::platform {

namespace {

VolumeSource& Source()
{
    static VolumeSource current;
    return current;
}

// mountinfo writes blanks, tabs, newlines and backslashes as octal escapes.
QString UnescapeOctal(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3'
            && field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0'
            && field[i + 3] <= '7') {
            out += char(
                ((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return files::FromNativePath(std::string_view(out.constData(), std::size_t(out.size())));
}

// by-label names escape unsafe bytes as \xNN.
QString UnescapeHex(const QString& name)
{
    const std::string native = files::ToNativePath(name);
    const QByteArray in(native.data(), qsizetype(native.size()));
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
            bool ok = false;
            const int value = in.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out += char(value);
                i += 3;
                continue;
            }
        }
        out += in[i];
    }
    return files::FromNativePath(std::string_view(out.constData(), std::size_t(out.size())));
}

// The whole of a small system file (mountinfo, a sysfs flag); nothing when it
// cannot be read.
std::optional<QByteArray> ReadSystemFile(const QString& path)
{
    files::InputFile file = files::InputFile::open(files::ToNativePath(path));
    std::vector<std::uint8_t> bytes;
    if (!file.ok() || file.readToEnd(bytes) != 0)
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// File systems that hold no files a user keeps: kernel interfaces and the like.
bool IsPseudoFileSystem(const QString& type)
{
    static const QSet<QString> pseudo = {
        QStringLiteral("proc"),
        QStringLiteral("sysfs"),
        QStringLiteral("devtmpfs"),
        QStringLiteral("devpts"),
        QStringLiteral("cgroup"),
        QStringLiteral("cgroup2"),
        QStringLiteral("mqueue"),
        QStringLiteral("debugfs"),
        QStringLiteral("tracefs"),
        QStringLiteral("securityfs"),
        QStringLiteral("pstore"),
        QStringLiteral("bpf"),
        QStringLiteral("configfs"),
        QStringLiteral("fusectl"),
        QStringLiteral("hugetlbfs"),
        QStringLiteral("autofs"),
        QStringLiteral("binfmt_misc"),
        QStringLiteral("nsfs"),
        QStringLiteral("rpc_pipefs"),
        QStringLiteral("efivarfs"),
        QStringLiteral("selinuxfs"),
        QStringLiteral("squashfs"),
        QStringLiteral("fuse.gvfsd-fuse"),
        QStringLiteral("fuse.portal"),
        QStringLiteral("fuse.lxcfs"),
        QStringLiteral("ramfs-internal"),
    };
    return pseudo.contains(type);
}

// Places the system mounts its own helpers; media under /run/media stay.
bool IsSystemPlace(const QString& root)
{
    for (const char* prefix : { "/proc", "/sys", "/dev", "/run", "/etc", "/snap", "/var/lib" }) {
        const QString p = QString::fromLatin1(prefix);
        if (root == p || root.startsWith(p + QLatin1Char('/'))) {
            return !(root.startsWith(QLatin1String("/run/media/")));
        }
    }
    return false;
}

VolumeKind KindOf(const QString& type, const QString& device,
    const std::function<bool(const QString&)>& isRemovable)
{
    static const QSet<QString> network = {
        QStringLiteral("nfs"),
        QStringLiteral("nfs4"),
        QStringLiteral("cifs"),
        QStringLiteral("smb3"),
        QStringLiteral("smbfs"),
        QStringLiteral("sshfs"),
        QStringLiteral("fuse.sshfs"),
        QStringLiteral("9p"),
        QStringLiteral("afs"),
        QStringLiteral("ceph"),
        QStringLiteral("glusterfs"),
        QStringLiteral("fuse.rclone"),
        QStringLiteral("davfs"),
        QStringLiteral("fuse.davfs2"),
    };
    if (network.contains(type))
        return VolumeKind::Network;
    if (type == QLatin1String("iso9660") || type == QLatin1String("udf"))
        return VolumeKind::CdRom;
    if (type == QLatin1String("tmpfs") || type == QLatin1String("ramfs"))
        return VolumeKind::Ram;
    if (isRemovable && device.startsWith(QLatin1String("/dev/")) && isRemovable(device))
        return VolumeKind::Removable;
    return VolumeKind::Fixed;
}

QHash<QString, QString> SystemLabels()
{
    QHash<QString, QString> labels;
    const QString byLabel = QStringLiteral("/dev/disk/by-label");
    try {
        SearchDirectory(
            byLabel,
            [&](const DirEntry& link) {
                if (link.attributes & faDirectory)
                    return;
                const QString device = CanonicalPath(JoinPath(byLabel, link.name));
                if (!device.isEmpty())
                    labels.insert(device, UnescapeHex(link.name));
            },
            AttributeDetail::Kind);
    } catch (const EInOutError&) {
        // No labelled disks on this machine.
    }
    return labels;
}

// A block device counts as removable when the kernel says so for it or for
// the disk it is a partition of.
bool SystemRemovable(const QString& device)
{
    QString sys = CanonicalPath(QStringLiteral("/sys/class/block/") + FileNameOf(device));
    for (int up = 0; up < 2 && !sys.isEmpty(); ++up) {
        if (const auto flag = ReadSystemFile(sys + QStringLiteral("/removable")))
            return flag->trimmed() == "1";
        sys = FolderOf(sys);
    }
    return false;
}

} // namespace

QVector<Volume> VolumesFromMountInfo(const QByteArray& mountInfo,
    const QHash<QString, QString>& labelsByDevice,
    const std::function<bool(const QString& device)>& isRemovable)
{
    QVector<Volume> volumes;
    for (const QByteArray& line : mountInfo.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (dash < 6 || dash + 2 >= fields.size())
            continue;
        Volume volume;
        volume.root = UnescapeOctal(fields[4]);
        const QString type = UnescapeOctal(fields[dash + 1]);
        volume.source = UnescapeOctal(fields[dash + 2]);
        if (!volume.root.startsWith(QLatin1Char('/')) || IsPseudoFileSystem(type)
            || IsSystemPlace(volume.root))
            continue;
        volume.kind = KindOf(type, volume.source, isRemovable);
        if (volume.kind != VolumeKind::Network) {
            const QString canonical = volume.source.startsWith(QLatin1String("/dev/"))
                ? CanonicalPath(volume.source)
                : QString();
            volume.label = labelsByDevice.value(volume.source,
                labelsByDevice.value(canonical.isEmpty() ? volume.source : canonical));
        }
        // A later mount on the same folder hides the earlier one.
        const auto same = std::find_if(
            volumes.begin(), volumes.end(), [&](const Volume& v) { return v.root == volume.root; });
        if (same != volumes.end())
            *same = volume;
        else
            volumes.push_back(volume);
    }
    std::sort(volumes.begin(), volumes.end(),
        [](const Volume& a, const Volume& b) { return a.root < b.root; });
    return volumes;
}

QVector<Volume> SystemVolumes()
{
    QVector<Volume> volumes;
    if (const auto mountInfo = ReadSystemFile(QStringLiteral("/proc/self/mountinfo")))
        volumes = VolumesFromMountInfo(*mountInfo, SystemLabels(), SystemRemovable);
    if (volumes.isEmpty() || volumes.front().root != QLatin1String("/"))
        volumes.prepend(Volume { QStringLiteral("/"), VolumeKind::Fixed, {}, {} });
    return volumes;
}

QVector<Volume> MountedVolumes()
{
    return Source() ? Source()() : SystemVolumes();
}

void SetVolumeSource(VolumeSource newSource)
{
    Source() = std::move(newSource);
}

QString VolumeRootOf(const QString& path, const QVector<Volume>& volumes)
{
    QString best = QStringLiteral("/");
    for (const Volume& v : volumes) {
        const bool holds = path == v.root
            || path.startsWith(
                v.root.endsWith(QLatin1Char('/')) ? v.root : v.root + QLatin1Char('/'));
        if (holds && v.root.size() > best.size())
            best = v.root;
    }
    return best;
}

} // namespace glyphor::platform
