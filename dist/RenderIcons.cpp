// Renders the program's icon into the icon theme folders at the sizes that
// desktops look up, at build time: OUTDIR/hicolor/NxN/apps/NAME.png. The
// installed icons are the very picture the window shows, not a copy of it.

#include "controls/ProgramIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QString>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fputs("usage: render_program_icons OUTDIR NAME\n", stderr);
        return 2;
    }
    // The drawing needs fonts and no screen; the offscreen platform gives the
    // toolkit what it wants without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (const int size : { 16, 22, 24, 32, 48, 64, 128, 256 }) {
        const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(out).arg(size);
        const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !glyphor::ProgramIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "render_program_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
