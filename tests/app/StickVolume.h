#pragma once
// A second volume for the window's drive lists: a scratch folder that they
// show as a removable volume labelled "STICK" beside the root volume, for as
// long as the object lives.

#include "kit/NativeFiles.h"
#include "platform/Volumes.h"

namespace glyphor::test {

class StickVolume {
public:
    StickVolume()
        : m_path(kit::PathOf(m_folder))
    {
        platform::SetVolumeSource([stick = m_path] {
            return QVector<platform::Volume> { { "/", platform::VolumeKind::Fixed, {},
                                                   "/dev/vda1" },
                { stick, platform::VolumeKind::Removable, "STICK", "/dev/sdb1" } };
        });
    }
    ~StickVolume() { platform::SetVolumeSource({}); }
    StickVolume(const StickVolume&) = delete;
    StickVolume& operator=(const StickVolume&) = delete;

    const QString& path() const { return m_path; }

private:
    kit::ScratchFolder m_folder;
    QString m_path;
};

} // namespace glyphor::test
