#include "cli/Commands.h"

#include "cli/ScanProgress.h"
#include "files/NativePath.h"
#include "harvest/CaptureIcon.h"
#include "harvest/HarvestJob.h"
#include "harvest/IconProvider.h"
#include "harvest/PendingComparison.h"
#include "harvest/RunTexts.h"
#include "platform/FileSystem.h"
#include "util/Error.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <exception>
#include <sys/stat.h>
#include <unistd.h>

namespace glyphor::cli {

namespace {

// The token of the harvest in progress; Ctrl+C requests a stop through it.
// Its state is a lock-free atomic, which a signal handler may set.
StopToken* g_token = nullptr;

void OnInterrupt(int)
{
    if (StopToken* token = g_token)
        token->requestStop();
}

// A harvest told on a terminal: status texts and progress on stderr (see
// ScanProgress), and Yes to either stop question, so that a Ctrl+C merges
// what was collected.
class CliObserver final : public HarvestObserver {
public:
    explicit CliObserver(ScanProgress& progress)
        : m_progress(progress)
    {
    }

    void runStarted(const HarvestRequest& request) override
    {
        m_tree = request.kind == HarvestRequest::Kind::Tree;
        status(kBusyStatus);
    }
    void sourceOpened(const QString& file) override { m_progress.fileStarted(file); }
    void iconCapturing(const IconPlace& place) override
    {
        status(SearchingText(shown(place.file), place.number, place.count));
    }
    void iconCaptured(const IconPlace&, const QString&) override { m_progress.iconCaptured(); }
    void iconSkipped(const IconPlace& place, const QString& reason) override
    {
        status(
            kSkippedPrefix + SkippedIconText(shown(place.file), place.number, place.count, reason));
    }
    void walkCutShort(const QString& reason) override { status(WalkCutShortStatus(reason)); }
    // The job names every comparison; the tool shows the one in progress at
    // each checkpoint, not millions a second.
    void comparing(const QString& collected, const QString& destination) override
    {
        m_comparison.set(collected, destination);
    }
    void copyFailed(const QString&, bool) override { status(kCopyFailedStatus); }
    void addedWithoutComparison(const QString& collected) override
    {
        status(CopyingText(collected));
    }
    StopAnswer askStop(StopQuestion question) override
    {
        showComparison();
        m_progress.note(
            (question == StopQuestion::Search ? kSearchStopQuestion : kCompareStopQuestion)
            + QStringLiteral("\nYes"));
        return StopAnswer::Yes;
    }
    void checkpoint(Checkpoint) override { showComparison(); }
    void runEnding() override { status(kReadyStatus); }

private:
    QString shown(const QString& file) const { return m_tree ? platform::FileNameOf(file) : file; }
    void status(const QString& text)
    {
        m_comparison.clear();
        m_progress.status(text);
    }
    void showComparison()
    {
        if (m_comparison.pending())
            status(m_comparison.text());
    }

    ScanProgress& m_progress;
    PendingComparison m_comparison;
    bool m_tree = true;
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
void ReportLeftBehind(const HarvestOutcome& outcome)
{
    for (const SkippedIcon& icon : outcome.skipped) {
        const QString line = QStringLiteral("skipped ")
            + SkippedIconText(files::DisplayPath(icon.file), icon.number, icon.count, icon.reason);
        std::fprintf(stderr, "%s\n", files::DisplayPath(line).toUtf8().constData());
    }
    if (!outcome.walkCutShort.isEmpty())
        std::fprintf(stderr, "%s\n", files::DisplayPath(outcome.walkCutShort).toUtf8().constData());
}

// The folder at argument as the system names it once entered; a file given
// for a folder is refused with its own reason.
QString ExistingFolder(const std::string& argument, const QString& path)
{
    RequireExisting(argument, path, true);
    QString folder;
    About(argument, [&] { folder = platform::EnteredFolder(path); });
    return folder;
}

int Scan(ScanKind kind, const Arguments& args, const char* usage)
{
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: glyphor2-cli %s\n", usage);
        return kExitUsage;
    }
    try {
        // Both are resolved against the directory the tool was started in,
        // byte for byte as given; a folder's name is never taken for a mask.
        const QString sourcePath = platform::AbsolutePath(files::FromNativePath(args[0]));
        const QString dest
            = ExistingFolder(args[1], platform::AbsolutePath(files::FromNativePath(args[1])));
        HarvestRequest request;
        if (kind == ScanKind::Tree) {
            request = HarvestRequest::scanTree(ExistingFolder(args[0], sourcePath), dest);
        } else {
            RequireExisting(args[0], sourcePath, false);
            QString folder;
            About(
                args[0], [&] { folder = platform::EnteredFolder(platform::FolderOf(sourcePath)); });
            request = HarvestRequest::scanFile(
                platform::JoinPath(folder, platform::FileNameOf(sourcePath)), dest);
        }

        CaptureObjects objects;
        ScanProgress progress;
        PlatformIconProvider icons;
        CliObserver observer(progress);
        StopToken token;
        HarvestJob job(request, icons, objects, observer, token);
        g_token = &token;
        struct sigaction action { };
        action.sa_handler = OnInterrupt;
        ::sigaction(SIGINT, &action, nullptr);
        std::exception_ptr failure;
        try {
            job.run();
        } catch (...) {
            failure = std::current_exception();
        }
        g_token = nullptr;
        progress.finish();
        if (failure)
            std::rethrow_exception(failure);
        const HarvestOutcome& outcome = job.outcome();
        if (outcome.leftIconsBehind()) {
            // The harvest came to its end but did not take everything: a
            // status of its own, so that scripts can tell it from success.
            ReportLeftBehind(outcome);
            std::printf("captured %d, added %d, skipped %d, %d stayed in Temp\n", outcome.captured,
                outcome.added, int(outcome.skipped.size()), outcome.leftInTemp);
            return kExitLeftBehind;
        }
        std::printf("captured %d, added %d\n", outcome.captured, outcome.added);
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
