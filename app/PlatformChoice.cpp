#include "app/PlatformChoice.h"

#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>

#include <cstring>

namespace glyphor {

QByteArray PlatformToChoose(const PlatformSituation& situation)
{
    if (situation.platformChosen || !situation.waylandSession || situation.waylandPlugin
        || !situation.x11Display)
        return {};
    return QByteArrayLiteral("xcb");
}

bool HasWaylandPlatform(const QStringList& platformFolders)
{
    for (const QString& folder : platformFolders) {
        if (!QDir(folder).entryList({ QStringLiteral("libqwayland*") }, QDir::Files).isEmpty())
            return true;
    }
    return false;
}

PlatformSituation ReadPlatformSituation(int argc, char** argv)
{
    PlatformSituation situation;
    situation.platformChosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    for (int i = 1; i < argc && argv[i]; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            situation.platformChosen = true;
    }
    situation.waylandSession = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || qgetenv("XDG_SESSION_TYPE") == "wayland";
    situation.x11Display = !qEnvironmentVariableIsEmpty("DISPLAY");

    QStringList pluginFolders { QLibraryInfo::path(QLibraryInfo::PluginsPath) };
    pluginFolders
        << qEnvironmentVariable("QT_PLUGIN_PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    if (argc > 0 && argv[0])
        pluginFolders << QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath();
    QStringList platformFolders;
    for (const QString& folder : pluginFolders)
        platformFolders << folder + QStringLiteral("/platforms");
    // This one names the platforms folder itself.
    if (const QString folder = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH");
        !folder.isEmpty())
        platformFolders << folder;
    situation.waylandPlugin = HasWaylandPlatform(platformFolders);
    return situation;
}

bool ChoosePlatform(int argc, char** argv)
{
    const QByteArray platform = PlatformToChoose(ReadPlatformSituation(argc, argv));
    if (platform.isEmpty())
        return false;
    qputenv("QT_QPA_PLATFORM", platform);
    return true;
}

void UnsetChosenPlatform()
{
    qunsetenv("QT_QPA_PLATFORM");
}

} // namespace glyphor
