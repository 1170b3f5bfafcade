#pragma once
// The tool run as a user runs it: a separate process in a folder of the
// test's choosing, with its exit status and both outputs kept.

#include "PeBuilder.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <string>

namespace glyphor::testing {

struct Output {
    int status = -1;
    std::string out;
    std::string err;
};

inline Output RunCli(const QStringList& args, const QString& folder)
{
    QProcess cli;
    cli.setWorkingDirectory(folder);
    cli.start(QStringLiteral(G2_CLI), args);
    cli.waitForFinished(60000);
    return { cli.exitCode(), cli.readAllStandardOutput().toStdString(),
        cli.readAllStandardError().toStdString() };
}

inline void Write(const QString& path, const Bytes& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

// An executable with one 32x32 icon.
inline Bytes ExeWithOneIcon()
{
    const Bytes image = PatternDib(32, 32, 4, 1);
    GroupEntry entry;
    entry.bytes = std::uint32_t(image.size());
    return BuildPe({ { ResId::Id(3), ResId::Id(1), 1033, image },
        { ResId::Id(14), ResId::Id(1), 1033, MakeGroup({ entry }) } });
}

} // namespace glyphor::testing
