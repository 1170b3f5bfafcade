// The viewer's load of a destination of 10,000 icon files, offscreen, next
// to the floor: the same files read and decoded by the icon file reader
// alone. Also the fill, which must show the names at once. Both are measured
// in turns in one run, best of several, after one pass has warmed the cache.
//
//   viewer_bench [COUNT] [ROUNDS]

#include "files/NativePath.h"
#include "iconfile/IconFileReader.h"
#include "iconfile/IconFileWriter.h"
#include "platform/FileSystem.h"
#include "viewer/TfrmView.h"
#include "viewer/ViewerItems.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace glyphor;

namespace {

// A different picture for every number, in the 16 colours of the writer.
IconImage Picture(int number)
{
    IconImage icon;
    icon.width = icon.height = kIconSize;
    for (int y = 0; y < kIconSize; ++y)
        for (int x = 0; x < kIconSize; ++x) {
            const int band = (x / 8 + y / 8 * 4 + number) % 16;
            icon.pixels.push_back(0xFF000000u | (band & 1 ? 0x800000u : 0)
                | (band & 2 ? 0x008000u : 0) | (band & 4 ? 0x000080u : 0)
                | (band & 8 ? 0xC0C0C0u : 0));
            icon.mask.push_back((x + y + number) % 7 == 0);
        }
    return icon;
}

double BareRead(const QString& folder, const QStringList& names)
{
    QElapsedTimer timer;
    timer.start();
    std::size_t check = 0;
    for (const QString& name : names) {
        IconFile file = ReadIconFile(files::ToNativePath(platform::JoinPath(folder, name)));
        check += file.image().pixels[0];
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    if (check == 0)
        std::puts("");
    return ms;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;

    QTemporaryDir dir;
    const QString folder = dir.path();
    QStringList names;
    for (int i = 0; i < count; ++i) {
        names << QStringLiteral("Icon%1.ico").arg(i, 4, 10, QLatin1Char('0'));
        WriteIconFile(Picture(i), files::ToNativePath(platform::JoinPath(folder, names.last())));
    }
    const DestinationListing listing { folder, names };

    // The fill: the window's creation, which lists every name.
    QElapsedTimer timer;
    timer.start();
    TfrmView view([&listing] { return listing; });
    const double fillMs = timer.nsecsElapsed() / 1e6;
    int pumps = 0;
    QObject::connect(&view, &TfrmView::pumping, [&pumps](int) { ++pumps; });
    view.show();
    // The first activation's load warms the cache for both.
    while (view.Close2->text() != QStringLiteral("&Close"))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);

    double bare = 1e300, viewer = 1e300;
    for (int round = 0; round < rounds; ++round) {
        bare = std::min(bare, BareRead(folder, names));
        pumps = 0;
        timer.restart();
        view.Refresh1Click(); // clear, fill and load, pumps included
        viewer = std::min(viewer, timer.nsecsElapsed() / 1e6);
        if (view.Items->imageCount() != count) {
            std::fprintf(stderr, "viewer_bench: the viewer loaded %d of %d pictures\n",
                view.Items->imageCount(), count);
            return 1;
        }
    }

    // The names laid out in the list, as the first paint after a fill needs them.
    timer.restart();
    view.Items->fill(names);
    view.ListView1->doItemsLayout();
    const double layoutMs = timer.nsecsElapsed() / 1e6;

    std::printf("%d icon files of %d bytes, best of %d\n", count, 766, rounds);
    std::printf("fill (window created, names listed): %8.1f ms\n", fillMs);
    std::printf("names filled and laid out:           %8.1f ms\n", layoutMs);
    std::printf(
        "bare reader (read and decode):       %8.1f ms  %9.0f icons/s\n", bare, count / bare * 1e3);
    std::printf("viewer load (refresh, %d pumps):    %8.1f ms  %9.0f icons/s\n", pumps, viewer,
        count / viewer * 1e3);
    std::printf("ratio viewer / bare reader:          %8.2f  (target at most 2)\n", viewer / bare);
    return 0;
}
