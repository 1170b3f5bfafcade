#include "app/StartRequest.h"

#include "app/TForm1.h"
#include "controls/ErrorBox.h"
#include "files/NativePath.h"
#include "platform/FileSystem.h"
#include "platform/PathCheck.h"
#include "util/Error.h"

namespace glyphor {

QStringList NativeArguments(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(files::FromNativePath(argv[i]));
    return args;
}

StartRequest ParseStartArguments(const QStringList& args)
{
    StartRequest request;
    QStringList folders;
    bool options = true;
    for (const QString& arg : args) {
        if (options && arg == QLatin1String("--")) {
            options = false;
        } else if (options && (arg == QLatin1String("--help") || arg == QLatin1String("-h"))) {
            request.kind = StartRequest::Kind::Help;
            return request;
        } else if (options && arg == QLatin1String("--version")) {
            request.kind = StartRequest::Kind::Version;
            return request;
        } else if (options && arg.size() > 1 && arg.startsWith(QLatin1Char('-'))) {
            request.kind = StartRequest::Kind::Usage;
            request.problem = QStringLiteral("unknown option ") + files::DisplayPath(arg);
        } else {
            folders.append(arg);
        }
    }
    if (request.kind == StartRequest::Kind::Usage)
        return request;
    if (folders.size() > 2) {
        request.kind = StartRequest::Kind::Usage;
        request.problem = QStringLiteral("too many arguments");
        return request;
    }
    request.source = folders.value(0);
    request.destination = folders.value(1);
    return request;
}

QString StartHelpText()
{
    return StartUsageText()
        + QStringLiteral(
            "Harvests the icons of Windows executables into 32 x 32, 16-colour icon files.\n\n"
            "  SOURCE       the folder the source browser starts in\n"
            "  DESTINATION  the folder the destination browser starts in\n"
            "  -h, --help   this text\n"
            "  --version    the version\n\n"
            "The toolkit's own options (-platform, -style and the like) are taken too.\n"
            "The manual page glyphor2(1) tells more.\n");
}

QString StartVersionText()
{
    return QStringLiteral("glyphor2 " G2_VERSION "\n");
}

QString StartUsageText()
{
    return QStringLiteral("usage: glyphor2 [SOURCE [DESTINATION]]\n");
}

void OpenStartFolders(TForm1& form, const StartRequest& request)
{
    struct Start {
        TForm1::Browser browser;
        QString folder;
        const char* message;
    };
    // Both are resolved before either browser moves: each move changes the
    // process's current directory, against which a relative path is meant.
    const QString here = platform::CurrentDirectory();
    auto absolute = [&](const QString& path) {
        return path.isEmpty() || path.startsWith(QLatin1Char('/')) ? path
                                                                   : platform::JoinPath(here, path);
    };
    const Start starts[] = {
        { TForm1::Browser::Source, absolute(request.source), "Cannot open source folder %s" },
        { TForm1::Browser::Destination, absolute(request.destination),
            "Cannot open destination folder %s" },
    };
    for (const Start& start : starts) {
        if (start.folder.isEmpty())
            continue;
        std::optional<QString> problem = platform::FolderProblem(start.folder);
        if (!problem) {
            try {
                form.showFolder(start.browser, start.folder);
            } catch (const EInOutError& e) {
                problem = QString::fromStdString(e.what());
            }
        }
        if (problem) {
            const std::string shown = files::DisplayPath(start.folder).toStdString();
            ShowErrorBox(&form,
                QString::fromStdString(FormatMessage(start.message, shown)) + QStringLiteral(": ")
                    + *problem);
        }
    }
}

} // namespace glyphor
