#include "cli/Commands.h"

#include "cli/CommandLine.h"
#include "files/NativePath.h"
#include "harvest/CaptureIcon.h"
#include "harvest/IconCounter.h"
#include "harvest/IconProvider.h"
#include "platform/FileSystem.h"
#include "util/Error.h"

#include <QString>

#include <cstdio>

namespace glyphor::cli {

namespace {

// Whole decimal numbers only, as the program reads a number typed by a user.
int ParseIndex(const std::string& text)
{
    bool ok = false;
    const int value = QString::fromStdString(text).toInt(&ok);
    if (!ok)
        throw Error(NotAnIndexText(text));
    return value;
}

} // namespace

int SaveCommand(const Arguments& args)
{
    if (args.size() != 3) {
        std::fputs("usage: glyphor2-cli save FILE INDEX DESTDIR\n", stderr);
        return 2;
    }
    try {
        const int index = ParseIndex(args[1]);
        // Byte for byte as given, resolved against the directory the tool
        // was started in.
        const QString file = platform::AbsolutePath(files::FromNativePath(args[0]));
        const QString dest = platform::AbsolutePath(files::FromNativePath(args[2]));
        // A fresh process: the counter starts at 0, as in a newly started window.
        SetIconCounter(0);
        CaptureObjects objects;
        QStringList notices;
        const QString path
            = SaveIconKeepingSource(objects, PlatformIconProvider(), dest, index, file, notices);
        // Why the catalogue is not kept, when it is not: the icon is saved all
        // the same.
        for (const QString& notice : notices)
            std::fprintf(stderr, "%s\n", files::DisplayPath(notice).toUtf8().constData());
        // The path as the system's bytes, so that a script can use it.
        std::printf("%s\n", files::ToNativePath(path).c_str());
    } catch (const Error& e) {
        PrintError(e);
        return 1;
    }
    return 0;
}

} // namespace glyphor::cli
