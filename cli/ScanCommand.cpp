#include "cli/Commands.h"

#include "browse/Browsers.h"
#include "cli/ScanProgress.h"
#include "files/NativePath.h"
#include "harvest/CaptureIcon.h"
#include "harvest/HarvestRun.h"
#include "harvest/HeadlessHost.h"
#include "harvest/IconProvider.h"
#include "platform/FileSystem.h"
#include "util/Error.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <exception>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace glyphor::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int)
{
    g_interrupted = 1;
}

// The window of a scan, played on a terminal: status texts and progress on
// stderr (see ScanProgress), Ctrl+C as the stop click, and Yes to either stop
// question.
class CliHost final : public HeadlessHost {
public:
    CliHost(std::function<void()> stopClick, ScanProgress& progress)
        : m_stopClick(std::move(stopClick))
        , m_progress(progress)
    {
    }

    void setStatus(const QString& text) override
    {
        m_comparison.clear();
        m_progress.status(text);
    }
    // The run names every comparison; like the window, the tool shows the
    // one in progress at each pump, not millions a second.
    void setComparing(const QString& collected, const QString& destination) override
    {
        m_comparison.set(collected, destination);
    }
    void pump() override
    {
        showComparison();
        if (g_interrupted) {
            g_interrupted = 0;
            m_stopClick();
        }
    }
    StopAnswer askSearchStop() override { return say(kSearchStopQuestion); }
    StopAnswer askCompareStop() override { return say(kCompareStopQuestion); }
    void addExtracted() override { m_progress.iconCaptured(); }

private:
    void showComparison()
    {
        if (m_comparison.pending())
            setStatus(m_comparison.text());
    }
    StopAnswer say(const QString& question)
    {
        showComparison();
        m_progress.note(question + QStringLiteral("\nYes"));
        return StopAnswer::Yes;
    }

    std::function<void()> m_stopClick;
    ScanProgress& m_progress;
    PendingComparison m_comparison;
};

enum class ScanKind { Tree, File };

// An error that names the argument it is about, as "<path>: <system text>",
// so that a wrong SRCDIR, DESTDIR or FILE is told apart.
[[noreturn]] void ThrowAbout(const std::string& argument, const std::string& text)
{
    throw Error(argument + ": " + text);
}

// Checks that path (the argument as given, resolved) exists and is a folder,
// or, with folder false, a file that is not a folder.
void RequireExisting(const std::string& argument, const QString& path, bool folder)
{
    struct stat st { };
    if (::stat(files::ToNativePath(path).c_str(), &st) != 0)
        ThrowAbout(argument, platform::SystemErrorText(errno).toStdString());
    if (folder && !S_ISDIR(st.st_mode))
        ThrowAbout(argument, platform::SystemErrorText(ENOTDIR).toStdString());
    if (!folder && S_ISDIR(st.st_mode))
        ThrowAbout(argument, platform::SystemErrorText(EISDIR).toStdString());
}

// Runs action, naming argument in the I/O error it raises.
template <typename Action> void About(const std::string& argument, Action&& action)
{
    try {
        action();
    } catch (const EInOutError& e) {
        ThrowAbout(argument, e.what());
    }
}

// What the user learns of icons a harvest left behind: each skipped icon on a
// line of its own, and why the walk ended early.
void ReportLeftBehind(const HarvestRun& run)
{
    for (const SkippedIcon& icon : run.skipped()) {
        const QString line = QStringLiteral("skipped ")
            + SkippedIconText(files::DisplayPath(icon.file), icon.number, icon.count, icon.reason);
        std::fprintf(stderr, "%s\n", files::DisplayPath(line).toUtf8().constData());
    }
    if (!run.walkCutShort().isEmpty())
        std::fprintf(stderr, "%s\n", files::DisplayPath(run.walkCutShort()).toUtf8().constData());
}

int Scan(ScanKind kind, const Arguments& args, const char* usage)
{
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: glyphor2-cli %s\n", usage);
        return kExitUsage;
    }
    struct sigaction action { };
    action.sa_handler = OnInterrupt;
    ::sigaction(SIGINT, &action, nullptr);
    try {
        // The main window's two browsers.
        Browsers browsers;
        FileListModel& sourceFiles = browsers.sourceFiles;
        // Both are resolved against the directory the tool was started in,
        // byte for byte as given.
        const QString sourcePath = platform::AbsolutePath(files::FromNativePath(args[0]));
        const QString dest = platform::AbsolutePath(files::FromNativePath(args[1]));
        // A file given for a folder would make the browsers take its folder.
        RequireExisting(args[1], dest, true);
        About(args[1], [&] { browsers.destDirs.setDirectory(dest); });
        if (kind == ScanKind::Tree) {
            RequireExisting(args[0], sourcePath, true);
            About(args[0], [&] { browsers.sourceDirs.setDirectory(sourcePath); });
        } else {
            RequireExisting(args[0], sourcePath, false);
            About(
                args[0], [&] { browsers.sourceDirs.setDirectory(platform::FolderOf(sourcePath)); });
            // The file is selected by its exact name, as a click selects it:
            // handing the whole path to the list would take a name with "*"
            // or "?" for a mask. A name that the mask leaves out is found
            // among all the folder's files.
            const QString name = platform::FileNameOf(sourcePath);
            int index = int(sourceFiles.items().indexOf(name));
            if (index < 0) {
                About(args[0], [&] { sourceFiles.setMask(QStringLiteral("*")); });
                index = int(sourceFiles.items().indexOf(name));
            }
            sourceFiles.select(index);
            if (sourceFiles.fileName().isEmpty())
                throw Error(FormatMessage("File not found: %s", files::MessagePath(sourcePath)));
        }

        CaptureObjects objects;
        ScanProgress progress;
        PlatformIconProvider platformIcons;
        ProgressIconProvider icons(platformIcons, progress);
        HarvestRun* engine = nullptr;
        CliHost host(
            [&] {
                if (kind == ScanKind::Tree)
                    engine->scanTreeClick();
                else
                    engine->scanFileClick();
            },
            progress);
        HarvestRun run(host, browsers, objects, icons);
        engine = &run;
        if (kind == ScanKind::Tree)
            run.scanTreeClick();
        else
            run.scanFileClick();
        progress.finish();
        if (run.leftIconsBehind()) {
            // The harvest came to its end but did not take everything: a
            // status of its own, so that scripts can tell it from success.
            ReportLeftBehind(run);
            std::printf("captured %d, added %d, skipped %d, %d stayed in Temp\n", run.captured(),
                run.added(), int(run.skipped().size()), run.leftInTemp());
            return kExitLeftBehind;
        }
        std::printf("captured %d, added %d\n", run.captured(), run.added());
    } catch (const std::exception& e) {
        // The program's errors, and any other (memory running out) alike.
        PrintError(e);
        return kExitError;
    }
    return kExitSuccess;
}

} // namespace

int ScanTreeCommand(const Arguments& args)
{
    return Scan(ScanKind::Tree, args, "scan-tree SRCDIR DESTDIR");
}

int ScanFileCommand(const Arguments& args)
{
    return Scan(ScanKind::File, args, "scan-file FILE DESTDIR");
}

} // namespace glyphor::cli
