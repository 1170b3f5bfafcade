#include "cli/CommandLine.h"
#include "cli/Commands.h"

#include "cli/ScanObserver.h"
#include "cli/ScanProgress.h"
#include "cli/ScanReport.h"
#include "files/Folder.h"
#include "files/NativePath.h"
#include "harvest/CaptureIcon.h"
#include "harvest/HarvestJob.h"
#include "harvest/IconProvider.h"
#include "harvest/RunTexts.h"
#include "harvest/SourceKinds.h"
#include "platform/FileSystem.h"
#include "util/Error.h"

#include <cerrno>
#include <cstdio>
#include <exception>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace glyphor::cli {

namespace {

enum class ScanKind { Tree, File };

// More reader threads than this help no machine: they only hold memory.
constexpr int kMaxJobs = 256;

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

// The folder at argument as the system names it once entered; a file given
// for a folder is refused with its own reason.
QString ExistingFolder(const std::string& argument, const QString& path)
{
    RequireExisting(argument, path, true);
    QString folder;
    About(argument, [&] { folder = platform::EnteredFolder(path); });
    return folder;
}

// A destination in the tree walked is most likely a slip of the keyboard;
// the harvest passes over what it keeps there, but says so.
void WarnOfDestinationInTree(const Arguments& args, const HarvestRequest& request)
{
    const files::Folder source = files::Folder::open(files::ToNativePath(request.source));
    const files::Folder dest = files::Folder::open(files::ToNativePath(request.destination));
    if (!dest.isWithin(source) || ScanProgress::processMode() == ScanProgress::Mode::Quiet)
        return;
    const std::string where = dest.isSameAs(source)
        ? "is the source folder itself"
        : "lies inside the source folder " + Shown(args[0]);
    std::fprintf(stderr,
        "glyphor2-cli: warning: the destination %s %s; its icon files, catalogue and Temp "
        "folder are not harvested as sources\n",
        Shown(args[1]).c_str(), where.c_str());
}

// The options of a scan, before or after its two arguments: --kinds LIST and
// --archives for scan-tree, --no-catalogue for both. Anything else is a path,
// so that a file named like an option can still be scanned (after "--", all
// is).
struct ScanOptions {
    Arguments operands;
    SourceKinds kinds;
    bool archives = false;
    bool catalogue = true;
    // Threads that read the sources; one for each processor unless told.
    int jobs = 0;
};

// The value of an option given as "--name VALUE" or "--name=VALUE" at
// args[i] (i moves past it); nothing when args[i] is another option. A
// missing value, or the option given a second time (which would drop the
// first without a word), is a usage error, told on stderr.
struct OptionValue {
    bool matched = false;
    std::optional<std::string> value;
};

OptionValue TakeValue(const Arguments& args, std::size_t& i, const std::string& name, bool& seen)
{
    const std::string& a = args[i];
    if (a != name && a.rfind(name + "=", 0) != 0)
        return {};
    if (seen) {
        std::fprintf(stderr, "glyphor2-cli: %s: given more than once\n", name.c_str());
        return { true, std::nullopt };
    }
    seen = true;
    if (a != name)
        return { true, a.substr(name.size() + 1) };
    if (++i == args.size())
        return { true, std::nullopt };
    return { true, args[i] };
}

std::optional<ScanOptions> ParseScanOptions(ScanKind kind, const Arguments& args)
{
    ScanOptions options;
    bool jobsSeen = false;
    bool kindsSeen = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--no-catalogue") {
            options.catalogue = false;
        } else if (const OptionValue count = TakeValue(args, i, "--jobs", jobsSeen);
                   count.matched) {
            if (!count.value)
                return std::nullopt;
            const std::optional<int> jobs = ParseWholeNumber(*count.value);
            if (!jobs || *jobs < 1 || *jobs > kMaxJobs) {
                std::fprintf(stderr, "glyphor2-cli: --jobs: not a number from 1 to %d: %s\n",
                    kMaxJobs, Shown(*count.value).c_str());
                return std::nullopt;
            }
            options.jobs = *jobs;
        } else if (kind == ScanKind::Tree && a == "--archives") {
            options.archives = true;
        } else if (const OptionValue list = kind == ScanKind::Tree
                       ? TakeValue(args, i, "--kinds", kindsSeen)
                       : OptionValue {};
                   list.matched) {
            if (!list.value)
                return std::nullopt;
            QString bad;
            const std::optional<SourceKinds> kinds
                = SourceKinds::Parse(files::FromNativePath(*list.value), &bad);
            if (!kinds) {
                std::fprintf(stderr,
                    "glyphor2-cli: --kinds: not a kind of icon source: '%s' (the kinds: %s, or "
                    "all)\n",
                    files::DisplayPath(bad).toUtf8().constData(),
                    SourceKinds::knownList().toUtf8().constData());
                return std::nullopt;
            }
            options.kinds = *kinds;
        } else if (a == "--") {
            // What follows is a path, whatever it looks like.
            options.operands.insert(
                options.operands.end(), args.begin() + std::ptrdiff_t(i) + 1, args.end());
            break;
        } else {
            options.operands.push_back(a);
        }
    }
    if (options.operands.size() != 2)
        return std::nullopt;
    return options;
}

int Scan(ScanKind kind, const Arguments& arguments, const char* usage)
{
    const std::optional<ScanOptions> options = ParseScanOptions(kind, arguments);
    if (!options) {
        std::fprintf(stderr, "usage: glyphor2-cli %s\n", usage);
        return kExitUsage;
    }
    const Arguments& args = options->operands;
    try {
        // Both are resolved against the directory the tool was started in,
        // byte for byte as given; a folder's name is never taken for a mask.
        const QString sourcePath = platform::AbsolutePath(files::FromNativePath(args[0]));
        // The destination is named as such: a message that names a folder
        // alone could be about either argument.
        const QString dest = ExistingFolder("Destination folder " + args[1],
            platform::AbsolutePath(files::FromNativePath(args[1])));
        HarvestRequest request;
        if (kind == ScanKind::Tree) {
            request = HarvestRequest::scanTree(ExistingFolder(args[0], sourcePath), dest);
            WarnOfDestinationInTree(args, request);
        } else {
            RequireExisting(args[0], sourcePath, false);
            RequireIconSource(args[0]);
            QString folder;
            About(
                args[0], [&] { folder = platform::EnteredFolder(platform::FolderOf(sourcePath)); });
            request = HarvestRequest::scanFile(
                platform::JoinPath(folder, platform::FileNameOf(sourcePath)), dest);
        }

        request.kinds = options->kinds;
        request.archives = options->archives;
        request.catalogue = options->catalogue;
        request.jobs = options->jobs;

        CaptureObjects objects;
        ScanProgress progress;
        PlatformIconProvider icons;
        ScanObserver observer(progress);
        StopToken token;
        HarvestJob job(request, icons, objects, observer, token);
        // Ctrl+C is taken until the tool has said what happened, so that a
        // press after the harvest does not cut its report short.
        const InterruptHandler interrupts(token);
        std::exception_ptr failure;
        try {
            job.run();
        } catch (...) {
            failure = std::current_exception();
        }
        progress.finish();
        if (failure)
            std::rethrow_exception(failure);
        return ReportScan(ScanEnd { job.outcome(), observer.searchStopped() });
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
    return Scan(ScanKind::Tree, args,
        "scan-tree [--kinds LIST] [--archives] [--no-catalogue] [--jobs N] SRCDIR DESTDIR");
}

int ScanFileCommand(const Arguments& args)
{
    return Scan(ScanKind::File, args, "scan-file [--no-catalogue] [--jobs N] FILE DESTDIR");
}

} // namespace glyphor::cli
