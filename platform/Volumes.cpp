#include "platform/Volumes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace glyphor::platform {

namespace {

VolumeSource& source()
{
    static VolumeSource current;
    return current;
}

// mountinfo writes blanks, tabs, newlines and backslashes as octal escapes.
QString unescapeOctal(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3'
            && field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0'
            && field[i + 3] <= '7') {
            out += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3)
                | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return QFile::decodeName(out);
}

// by-label names escape unsafe bytes as \xNN.
QString unescapeHex(const QString& name)
{
    QByteArray in = QFile::encodeName(name), out;
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
    return QFile::decodeName(out);
}

// File systems that hold no files a user keeps: kernel interfaces and the like.
bool isPseudoFileSystem(const QString& type)
{
    static const QSet<QString> pseudo = {
        QStringLiteral("proc"), QStringLiteral("sysfs"), QStringLiteral("devtmpfs"),
        QStringLiteral("devpts"), QStringLiteral("cgroup"), QStringLiteral("cgroup2"),
        QStringLiteral("mqueue"), QStringLiteral("debugfs"), QStringLiteral("tracefs"),
        QStringLiteral("securityfs"), QStringLiteral("pstore"), QStringLiteral("bpf"),
        QStringLiteral("configfs"), QStringLiteral("fusectl"), QStringLiteral("hugetlbfs"),
        QStringLiteral("autofs"), QStringLiteral("binfmt_misc"), QStringLiteral("nsfs"),
        QStringLiteral("rpc_pipefs"), QStringLiteral("efivarfs"), QStringLiteral("selinuxfs"),
        QStringLiteral("squashfs"), QStringLiteral("fuse.gvfsd-fuse"), QStringLiteral("fuse.portal"),
        QStringLiteral("fuse.lxcfs"), QStringLiteral("ramfs-internal"),
    };
    return pseudo.contains(type);
}

// Places the system mounts its own helpers; media under /run/media stay.
bool isSystemPlace(const QString& root)
{
    for (const char* prefix : { "/proc", "/sys", "/dev", "/run", "/etc", "/snap", "/var/lib" }) {
        const QString p = QString::fromLatin1(prefix);
        if (root == p || root.startsWith(p + QLatin1Char('/'))) {
            return !(root.startsWith(QLatin1String("/run/media/")));
        }
    }
    return false;
}

VolumeKind kindOf(const QString& type, const QString& device,
    const std::function<bool(const QString&)>& isRemovable)
{
    static const QSet<QString> network = {
        QStringLiteral("nfs"), QStringLiteral("nfs4"), QStringLiteral("cifs"), QStringLiteral("smb3"),
        QStringLiteral("smbfs"), QStringLiteral("sshfs"), QStringLiteral("fuse.sshfs"),
        QStringLiteral("9p"), QStringLiteral("afs"), QStringLiteral("ceph"),
        QStringLiteral("glusterfs"), QStringLiteral("fuse.rclone"), QStringLiteral("davfs"),
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

QHash<QString, QString> systemLabels()
{
    QHash<QString, QString> labels;
    const QDir byLabel(QStringLiteral("/dev/disk/by-label"));
    for (const QFileInfo& link : byLabel.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        const QString device = link.canonicalFilePath();
        if (!device.isEmpty())
            labels.insert(device, unescapeHex(link.fileName()));
    }
    return labels;
}

// A block device counts as removable when the kernel says so for it or for
// the disk it is a partition of.
bool systemRemovable(const QString& device)
{
    const QString name = QFileInfo(device).fileName();
    QString sys = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    for (int up = 0; up < 2 && !sys.isEmpty(); ++up) {
        QFile flag(sys + QStringLiteral("/removable"));
        if (flag.open(QIODevice::ReadOnly))
            return flag.readAll().trimmed() == "1";
        sys = QFileInfo(sys).path();
    }
    return false;
}

} // namespace

QVector<Volume> volumesFromMountInfo(const QByteArray& mountInfo,
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
        volume.root = unescapeOctal(fields[4]);
        const QString type = unescapeOctal(fields[dash + 1]);
        volume.source = unescapeOctal(fields[dash + 2]);
        if (!volume.root.startsWith(QLatin1Char('/')) || isPseudoFileSystem(type)
            || isSystemPlace(volume.root))
            continue;
        volume.kind = kindOf(type, volume.source, isRemovable);
        if (volume.kind != VolumeKind::Network) {
            const QString canonical = volume.source.startsWith(QLatin1String("/dev/"))
                ? QFileInfo(volume.source).canonicalFilePath()
                : QString();
            volume.label = labelsByDevice.value(volume.source,
                labelsByDevice.value(canonical.isEmpty() ? volume.source : canonical));
        }
        // A later mount on the same folder hides the earlier one.
        const auto same = std::find_if(volumes.begin(), volumes.end(),
            [&](const Volume& v) { return v.root == volume.root; });
        if (same != volumes.end())
            *same = volume;
        else
            volumes.push_back(volume);
    }
    std::sort(volumes.begin(), volumes.end(),
        [](const Volume& a, const Volume& b) { return a.root < b.root; });
    return volumes;
}

QVector<Volume> systemVolumes()
{
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    QVector<Volume> volumes;
    if (file.open(QIODevice::ReadOnly))
        volumes = volumesFromMountInfo(file.readAll(), systemLabels(), systemRemovable);
    if (volumes.isEmpty() || volumes.front().root != QLatin1String("/"))
        volumes.prepend(Volume { QStringLiteral("/"), VolumeKind::Fixed, {}, {} });
    return volumes;
}

QVector<Volume> mountedVolumes()
{
    return source() ? source()() : systemVolumes();
}

void setVolumeSource(VolumeSource newSource)
{
    source() = std::move(newSource);
}

QString volumeRootOf(const QString& path, const QVector<Volume>& volumes)
{
    QString best = QStringLiteral("/");
    for (const Volume& v : volumes) {
        const bool holds = path == v.root
            || path.startsWith(v.root.endsWith(QLatin1Char('/')) ? v.root : v.root + QLatin1Char('/'));
        if (holds && v.root.size() > best.size())
            best = v.root;
    }
    return best;
}

} // namespace glyphor::platform
