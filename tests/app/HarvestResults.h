#pragma once
// What a harvest leaves in a folder, and what glyphor2-cli leaves for the
// same command, so that a window's harvest can be compared with the tool's.

#include "harvest/TempFolder.h"
#include "kit/ScanFolders.h"

#include <QByteArray>
#include <QDebug>
#include <QDir>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

namespace glyphor::test {

using Files = QMap<QString, QByteArray>;

// The files of a folder, name to bytes; hidden ones too, so that a
// half-written leftover would show. The mark of a harvest's temporary
// folder is no file of the user's, nor is the catalogue kept beside the
// icons, which differs from run to run in its times.
inline Files Contents(const QString& dir)
{
    Files files;
    for (const QFileInfo& info : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden))
        if (QFile file(info.filePath()); info.fileName() != QLatin1String(kTempMarkName)
            && !kit::IsCatalogueName(info.fileName()) && file.open(QIODevice::ReadOnly))
            files[info.fileName()] = file.readAll();
    return files;
}

// What glyphor2-cli COMMAND ARGS... writes into a fresh folder given last.
inline Files CliResult(const QString& command, const QStringList& args)
{
    QTemporaryDir out;
    QProcess cli;
    cli.start(G2_CLI, QStringList { command } + args + QStringList { out.path() });
    if (!cli.waitForFinished(120000) || cli.exitCode() != 0)
        qWarning() << "glyphor2-cli failed:" << cli.readAllStandardError();
    return Contents(out.path());
}

} // namespace glyphor::test
