// Reading big folders through the file list, as the harvest engine does after
// every copy of a merge: against the floor of one bare directory pass.

#include "browse/FileListModel.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QString FolderOf(int count)
{
    static QTemporaryDir tmp;
    const QString folder = tmp.path() + QStringLiteral("/n%1").arg(count);
    if (!QDir(folder).exists()) {
        QDir().mkpath(folder);
        for (int i = 0; i < count; ++i) {
            // Mixed case and a few names the mask leaves out, as in a real destination.
            const QString name = i % 10 == 0 ? QStringLiteral("note%1.txt").arg(i)
                                             : QStringLiteral("%1con%2.ico")
                                                   .arg(i % 2 ? u'I' : u'i')
                                                   .arg(i, 4, 10, QLatin1Char('0'));
            QFile(folder + QLatin1Char('/') + name).open(QIODevice::WriteOnly);
        }
    }
    return folder;
}

void BM_DirectoryPass(benchmark::State& state)
{
    const QString folder = FolderOf(int(state.range(0)));
    for (auto _ : state) {
        int n = 0;
        glyphor::platform::SearchDirectory(
            folder, [&](const glyphor::platform::DirEntry&) { ++n; },
            glyphor::platform::AttributeDetail::Kind);
        benchmark::DoNotOptimize(n);
    }
}

void BM_FileListReread(benchmark::State& state)
{
    const QString folder = FolderOf(int(state.range(0)));
    glyphor::FileListModel model;
    model.setMask(QStringLiteral("*.ico"));
    model.setDirectory(folder);
    for (auto _ : state)
        model.reread();
    state.counters["items"] = model.count();
}

} // namespace

BENCHMARK(BM_DirectoryPass)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileListReread)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
