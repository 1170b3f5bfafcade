#pragma once
// A source and a destination folder with the main window's two browsers on
// them, and the window's harvest controller driving FakeHost.

#include "FakeHost.h"

#include "app/HarvestController.h"
#include "browse/Browsers.h"
#include "harvest/CaptureIcon.h"
#include "harvest/IconCounter.h"
#include "kit/FailingFileOps.h"
#include "kit/FakeIconProvider.h"
#include "kit/ScanFolders.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <memory>

namespace glyphor::test {

using kit::MakeIcon;

class RunFixture : public testing::Test {
protected:
    // The two folders named as given, in any bytes.
    explicit RunFixture(const QString& sourceName = QStringLiteral("S"),
        const QString& destinationName = QStringLiteral("D"))
        : folders(sourceName, destinationName)
        , src(folders.source())
        , dst(folders.destination())
    {
    }

    void SetUp() override
    {
        browsers.sourceDirs.setDirectory(src);
        browsers.destDirs.setDirectory(dst);
        SetIconCounter(0);
    }

    // The controller over the icons of provider (the fake icons unless a
    // test says otherwise), pumping at every chance.
    HarvestController& engine()
    {
        if (!m_run) {
            m_run = std::make_unique<HarvestController>(host, browsers, objects, *provider, *ops);
            m_run->setPumpPace(PumpPace::Exact);
        }
        return *m_run;
    }

    // An "executable" at path (relative to the source folder) with icons.
    void MakeExe(const QString& relative, QVector<IconImage> images)
    {
        icons.add(
            platform::FileNameOf(folders.putSource(relative, { 'M', 'Z' })), std::move(images));
    }

    // The icon file that a save of icon writes, put into folder under name,
    // with the destination list read again; its path. The icon counter is
    // left as it was.
    QString PutIconFile(const QString& folder, const QString& name, const IconImage& icon)
    {
        kit::FakeIconProvider one;
        one.add(QStringLiteral("icon.exe"), { icon });
        CaptureObjects scratch;
        const std::int32_t counter = IconCounter();
        const QString saved = SaveIcon(scratch, one, folders.path(), 0, QStringLiteral("icon.exe"));
        SetIconCounter(counter);
        const QString path = folder + QLatin1Char('/') + name;
        EXPECT_TRUE(QFile::rename(saved, path)) << path.toStdString();
        browsers.destFiles.reread();
        return path;
    }
    // A destination holding one icon of its own, D.ico.
    void DestinationWithOneIcon() { PutIconFile(dst, QStringLiteral("D.ico"), MakeIcon(9)); }

    // File operations that fail for the names a test chooses, and count the
    // signature reads, put in place of the system's.
    FailingFileOps& FailingOps()
    {
        ops = &m_failing;
        return m_failing;
    }

    void ClickTreeAtPump(int pump)
    {
        host.atPump[pump] = [this] { engine().scanTreeClick(); };
    }
    void ClickFileAtPump(int pump)
    {
        host.atPump[pump] = [this] { engine().scanFileClick(); };
    }

    // Names in a folder, sorted by name; hidden files left out.
    static QStringList Names(const QString& folder)
    {
        return kit::WithoutCatalogue(
            QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
    }
    static QByteArray Bytes(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString temp() const { return folders.temp(); }

    kit::ScanFolders folders;
    QString src;
    QString dst;
    FakeHost host;
    kit::FakeIconProvider icons;
    const IconProvider* provider = &icons;
    CaptureObjects objects;
    FileOps* ops = &SystemFileOps();
    Browsers browsers;

private:
    FailingFileOps m_failing;
    std::unique_ptr<HarvestController> m_run;
};

// A stop answered at the first comparison of a merge into a destination that
// holds one icon of its own, with three other icons collected: how many files
// the destination holds after the run, and how many were copied without
// comparison. The same for both scans.
struct CompareStop {
    const char* name;
    StopAnswer answer;
    int destFiles;
    int copiedWithoutCompare;
};

inline const CompareStop kCompareStops[] = {
    { "Yes", StopAnswer::Yes, 1, 0 },
    { "No", StopAnswer::No, 4, 2 },
    { "Cancel", StopAnswer::Cancel, 4, 0 },
};

} // namespace glyphor::test
