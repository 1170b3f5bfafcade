#pragma once
// The mounted volumes a user would pick, standing in for drive letters: the
// root (mount point) plays the part of the letter.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>
#include <functional>

namespace glyphor::platform {

enum class VolumeKind { Removable, Fixed, Network, CdRom, Ram };

struct Volume {
    QString root; // the mount point, "/" for the root file system
    VolumeKind kind = VolumeKind::Fixed;
    QString label; // the file system's label, empty when it has none
    QString source; // what is mounted: a device, or the remote share of a network volume
};

// The volumes in order of their roots ("/" first). Every caller goes through
// this one function, so that a test can put its own list in place.
QVector<Volume> MountedVolumes();

using VolumeSource = std::function<QVector<Volume>()>;
// Replaces the source of MountedVolumes(); an empty function restores the
// system's list.
void SetVolumeSource(VolumeSource source);

// The system's list: /proc/self/mountinfo without pseudo file systems, labels
// from /dev/disk/by-label. No medium is touched.
QVector<Volume> SystemVolumes();

// The parsing step of SystemVolumes(), kept apart so that it is tested on
// fixed text. labelsByDevice maps a device path to its label; isRemovable
// tells whether a device is removable (none is when it is not given).
QVector<Volume> VolumesFromMountInfo(const QByteArray& mountInfo,
    const QHash<QString, QString>& labelsByDevice = {},
    const std::function<bool(const QString& device)>& isRemovable = {});

// The root of the volume that holds path (an absolute path): the longest root
// that is path or a folder above it; "/" when none is.
QString VolumeRootOf(const QString& path, const QVector<Volume>& volumes);

} // namespace glyphor::platform
