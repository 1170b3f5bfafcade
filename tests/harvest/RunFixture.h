#pragma once
// A source and a destination folder with the main window's two browsers, and
// an engine driven by FakeHost.

#include "FakeHost.h"
#include "FakeIconProvider.h"

#include "harvest/Browsers.h"
#include "harvest/CaptureIcon.h"
#include "harvest/HarvestRun.h"
#include "harvest/IconCounter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace glyphor::test {

class RunFixture : public testing::Test {
protected:
    void SetUp() override
    {
        src = root.path() + "/S";
        dst = root.path() + "/D";
        ASSERT_TRUE(QDir().mkpath(src));
        ASSERT_TRUE(QDir().mkpath(dst));
        browsers.sourceDirs.setDirectory(src);
        browsers.destDirs.setDirectory(dst);
        SetIconCounter(0);
    }

    HarvestRun& engine()
    {
        if (!m_run) {
            m_run = std::make_unique<HarvestRun>(host, browsers, objects, icons, *ops);
            m_run->setPumpPace(PumpPace::Exact);
        }
        return *m_run;
    }

    // An "executable" at path (relative to the source folder) with icons.
    void MakeExe(const QString& relative, QVector<IconImage> images)
    {
        const QString path = src + "/" + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("MZ");
        icons.add(QFileInfo(path).fileName(), std::move(images));
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
        return QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    }
    static QByteArray Bytes(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString temp() const { return dst + "/Temp"; }

    QTemporaryDir root;
    QString src;
    QString dst;
    FakeHost host;
    FakeIconProvider icons;
    CaptureObjects objects;
    FileOps* ops = &SystemFileOps();
    Browsers browsers;

private:
    std::unique_ptr<HarvestRun> m_run;
};

} // namespace glyphor::test
