#include "harvest/HarvestRun.h"

#include "browse/Browsers.h"
#include "files/NativePath.h"
#include "files/NewFile.h"
#include "harvest/DestinationIndex.h"
#include "harvest/IconCounter.h"
#include "harvest/IconProvider.h"
#include "harvest/NextIconFileName.h"
#include "harvest/RunTexts.h"
#include "harvest/TempFolderLock.h"
#include "platform/FileSystem.h"
#include "platform/NameOrder.h"
#include "util/Error.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace glyphor {

namespace {

// The walk's test for an executable: the last four characters of the name
// (all of it when shorter), upper-cased for the letters a to z only, are
// ".EXE" or ".DLL". So x.exe.bak is not scanned and a file named ".dll" is.
bool IsExecutableName(const QString& name)
{
    QString tail = name.right(4);
    for (QChar& c : tail) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return tail == QLatin1String(".EXE") || tail == QLatin1String(".DLL");
}

// Inserts path into the sorted work list after every entry that sorts before
// or equal to it, as a sorted list box does.
void InsertSorted(QStringList& list, const QString& path)
{
    const auto at = std::upper_bound(list.begin(), list.end(), path,
        [](const QString& a, const QString& b) { return CompareNames(a, b) < 0; });
    list.insert(at, path);
}

QString FileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

HarvestRun::HarvestRun(HarvestHost& host, Browsers& browsers, CaptureObjects& objects,
    const IconProvider& icons, FileOps& files)
    : m_host(host)
    , m_browsers(browsers)
    , m_objects(objects)
    , m_icons(icons)
    , m_files(files)
{
    m_sincePump.start();
}

HarvestRun::~HarvestRun() = default;

void HarvestRun::setPumpPace(PumpPace pace, int intervalMs)
{
    m_pace = pace;
    m_intervalMs = intervalMs;
}

QString HarvestRun::TempFolderOf(const QString& destination)
{
    return platform::JoinPath(destination, QStringLiteral("Temp"));
}

void HarvestRun::scanTreeClick()
{
    const QString caption = m_host.caption(Control::Button1);
    if (caption == kStopCaption) {
        // A stop click shows and starts the animation again, but only while
        // a run is in progress: an idle window never shows it.
        if (m_running)
            m_host.setAnimation(true);
        m_host.setStopState(StopState::StopRequested);
    }
    // A click that reaches the button after the run has set its caption back
    // to "Scan &Tree" (a stop queued while the run ended) does nothing.
    if (caption != kScanTreeCaption || m_running)
        return;
    run(Kind::Tree, QString());
}

void HarvestRun::scanFileClick()
{
    const QString caption = m_host.caption(Control::Button4);
    if (caption == kStopCaption)
        m_host.setStopState(StopState::StopRequested);
    if (caption != kScanFileCaption || m_running)
        return;
    // The file is fixed here: a click in the source file list during the run
    // changes nothing in it.
    run(Kind::File, m_browsers.sourceFiles.fileName());
}

void HarvestRun::run(Kind kind, const QString& file)
{
    m_tempFolder = TempFolderOf(m_browsers.destDirs.directory());
    // One run per destination: a second one is refused before it changes
    // anything, on screen or on disk.
    TempFolderLock lock;
    if (lock.acquire(m_files, m_tempFolder) == TempFolderLock::State::Busy)
        throw Error(FormatMessage(kHarvestInProgressError,
            files::DisplayPath(m_browsers.destDirs.directory()).toStdString()));
    m_lockHeld = lock.held();
    m_tempFolderError = lock.folderError();
    m_running = true;
    m_abandoned = false;
    m_sourceSaved = false;
    m_savedSource.clear();
    m_captured = 0;
    m_added = 0;
    m_copyFailures = 0;
    m_leftInTemp = 0;
    m_skipped.clear();
    m_walkCutShort.clear();
    m_endStarted = false;
    std::exception_ptr failure;
    try {
        // The tree scan's click shows the animation before anything else.
        if (kind == Kind::Tree)
            m_host.setAnimation(true);
        start(kind);
        Next next = Next::End;
        if (!m_abandoned) {
            if (kind == Kind::Tree) {
                QString source = m_browsers.sourceDirs.directory();
                if (!source.endsWith(QLatin1Char('/')))
                    source += QLatin1Char('/');
                prepareTempFolder();
                next = walk(source);
            } else {
                prepareTempFolder();
                next = extractFile(file);
            }
        } else {
            next = Next::Abandon;
        }
        if (next == Next::Merge)
            next = mergeAndCleanUp(kind);
        if (next != Next::Abandon)
            end(kind);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure && !m_abandoned && !m_endStarted) {
        // An error ends the run where it happened, but the window still comes
        // back to idle; the collected icons stay in the temporary folder for
        // the next run, and the error goes on to the error box. An error of
        // the end itself is not followed by a second end: it has tried
        // every step already.
        try {
            end(kind);
        } catch (...) {
        }
    }
    m_running = false;
    if (failure)
        std::rethrow_exception(failure);
}

void HarvestRun::start(Kind kind)
{
    if (kind == Kind::Tree) {
        m_host.setStatus(kBusyStatus);
        m_host.setStopState(StopState::None);
        m_host.setCaption(Control::Button1, kStopCaption);
        for (Control c :
            { Control::Button4, Control::Button2, Control::Button3, Control::DirectoryListBox1,
                Control::DirectoryListBox2, Control::DriveComboBox1, Control::DriveComboBox2 })
            m_host.setEnabled(c, false);
        if (!pump())
            return;
        m_host.setEnabled(Control::FileListBox2, false);
    } else {
        // The single-file scan shows its animation first: the tree scan's
        // click handler has already done so before the run starts.
        m_host.setAnimation(true);
        m_host.setStatus(kBusyStatus);
        for (Control c : { Control::Button1, Control::Button2, Control::Button3 })
            m_host.setEnabled(c, false);
        m_host.setCaption(Control::Button4, kStopCaption);
        m_host.setStopState(StopState::None);
        for (Control c : { Control::DirectoryListBox1, Control::DriveComboBox1,
                 Control::DirectoryListBox2, Control::DriveComboBox2, Control::FileListBox2 })
            m_host.setEnabled(c, false);
        pump();
    }
}

void HarvestRun::prepareTempFolder()
{
    // The folder was made when the run took its lock. A failure to make it is
    // not an error: it may be left from an earlier run, and a destination that
    // cannot be written fails the first capture with its own message.
    // But something else under that name must stop the run here. The merge
    // collects whatever the folder's list shows and the clean-up deletes it:
    // through a file the list would show the destination itself, through a
    // link a folder elsewhere, and their icons would be deleted uncopied.
    const std::optional<unsigned> attributes = platform::AttributesOf(m_tempFolder);
    if (attributes
        && (!(*attributes & platform::faDirectory) || (*attributes & platform::faSymLink)))
        throw Error(FormatMessage(kTempFolderInTheWayError, files::MessagePath(m_tempFolder)));
    if (m_lockHeld)
        removeKilledWritersTemporaries();
}

void HarvestRun::removeKilledWritersTemporaries()
{
    // A run holds the folder for its whole life, so a temporary file in it
    // belongs to no live writer: it is what a run that was killed while it
    // wrote a capture or a copy left behind. Nothing else of the folder is
    // touched; complete icons left there are merged like any collected icon.
    const auto entries = m_files.listDirectory(m_tempFolder);
    if (!entries)
        return;
    for (const platform::DirEntry& entry : *entries) {
        if (!(entry.attributes & (platform::faDirectory | platform::faSymLink))
            && files::NewFile::isTemporaryName(files::ToNativePath(entry.name)))
            m_files.deleteFile(platform::JoinPath(m_tempFolder, entry.name));
    }
}

HarvestRun::Next HarvestRun::walk(const QString& sourceFolder)
{
    m_workList.clear();
    int index = 0;
    QString current = sourceFolder;
    for (;;) {
        // A folder that cannot be searched gives no entries and no checks.
        std::optional<std::vector<platform::DirEntry>> listed = m_files.listDirectory(current);
        const bool searched = listed.has_value();
        const std::vector<platform::DirEntry> entries
            = std::move(listed).value_or(std::vector<platform::DirEntry>());
        // The listing leaves out "." and "..", which the system's search
        // gives first for every folder but the root. The stop is checked
        // before each of them all the same, so that a stop click is answered
        // in a folder that is empty too.
        const int dots = searched && current != QLatin1String("/") ? 2 : 0;
        const int total = dots + int(entries.size());
        for (int e = 0; e < total; ++e) {
            // Not a pump of the protocol: it keeps the window painted and
            // delivers a stop click during long stretches without captures.
            if (abandoned() || !pumpIfDue())
                return Next::Abandon;
            if (const std::optional<Next> answered = stopCheck(Question::Search))
                return *answered;
            if (e < dots)
                continue;
            const platform::DirEntry& entry = entries[std::size_t(e - dots)];
            if (entry.attributes == platform::faDirectory) {
                InsertSorted(m_workList, current + entry.name);
            } else if (IsExecutableName(entry.name)) {
                scanExecutable(current + entry.name, entry.name);
                if (m_abandoned)
                    return Next::Abandon;
                // No name left in the temporary folder: the walk ends as a
                // stop answered Yes ends it, and the merge empties the folder.
                if (!m_walkCutShort.isEmpty())
                    return Next::Merge;
            }
        }
        if (index >= m_workList.size())
            return Next::Merge;
        current = m_workList[index] + QLatin1Char('/');
        ++index;
    }
}

void HarvestRun::scanExecutable(const QString& path, const QString& shownName)
{
    const int count = countIcons(path, shownName);
    for (int i = 0; i < count && !m_abandoned && m_walkCutShort.isEmpty(); ++i) {
        m_host.setStatus(SearchingText(shownName, i + 1, count));
        capture(path, shownName, i, count);
        pump();
    }
}

HarvestRun::Next HarvestRun::extractFile(const QString& file)
{
    // No stop check here: every icon of the file is captured, and a stop
    // click meanwhile waits for the merge's first comparison.
    const int count = file.isEmpty() ? 0 : countIcons(file, file);
    for (int i = 0; i < count && m_walkCutShort.isEmpty(); ++i) {
        if (m_abandoned)
            return Next::Abandon;
        m_host.setStatus(SearchingText(file, i + 1, count));
        capture(file, file, i, count);
        pump();
    }
    return m_abandoned ? Next::Abandon : Next::Merge;
}

int HarvestRun::countIcons(const QString& path, const QString& shownName)
{
    try {
        return m_icons.count(path);
    } catch (const Error& e) {
        // A file that cannot be read at all is one bad file: the run names
        // it and goes on.
        skip(path, shownName, 0, 0, QString::fromStdString(e.what()));
        return 0;
    }
}

void HarvestRun::capture(const QString& exe, const QString& shownName, int index, int count)
{
    // Without the folder nothing can be collected: the capture fails with the
    // reason the folder could not be made (a destination on read-only media),
    // which says more than that the folder is missing.
    if (m_tempFolderError != 0 && !platform::AttributesOf(m_tempFolder)) {
        const QString path = NextIconFileName(m_tempFolder);
        throw Error(FormatMessage("Cannot create file %s", files::DisplayPath(path).toStdString())
            + ": " + platform::SystemErrorText(m_tempFolderError).toStdString());
    }
    try {
        CaptureIcon(m_objects, m_icons, exe, index, m_tempFolder);
    } catch (const EInvalidIcon& e) {
        // One bad icon never ends a harvest: it is named and counted, and
        // the walk goes on with the next.
        skip(exe, shownName, index + 1, count, QString::fromStdString(e.what()));
        return;
    } catch (const ENoFreeIconName& e) {
        m_walkCutShort = QString::fromStdString(e.what());
        m_host.setStatus(WalkCutShortStatus(m_walkCutShort));
        return;
    }
    ++m_captured;
    m_host.addExtracted();
}

void HarvestRun::skip(
    const QString& path, const QString& shownName, int number, int count, const QString& reason)
{
    m_skipped.append(SkippedIcon { path, number, count, reason });
    m_host.setStatus(kSkippedPrefix + SkippedIconText(shownName, number, count, reason));
}

HarvestRun::Next HarvestRun::mergeAndCleanUp(Kind kind)
{
    // A stop click that arrived after the walk's last check is dropped; the
    // single-file scan keeps it, to be answered at the first comparison.
    if (kind == Kind::Tree)
        m_host.setStopState(StopState::None);
    FileListModel& source = m_browsers.sourceFiles;
    m_savedSource = source.directory();
    m_sourceSaved = true;
    source.showFolder(m_tempFolder, kIconMask);
    if (!pump())
        return Next::Abandon;
    SetIconCounter(0);
    m_host.showViewerIcon();

    const QStringList collected = source.items();
    const QString collectedFolder = source.directory();
    // Collected files whose copy failed: the clean-up keeps them for the next run.
    QSet<int> keep;
    const Next next = merge(kind, collected, collectedFolder, keep);
    if (next == Next::Abandon)
        return next;
    cleanUp(collected, collectedFolder, keep);
    return Next::End;
}

HarvestRun::Next HarvestRun::merge(
    Kind kind, const QStringList& collected, const QString& collectedFolder, QSet<int>& keep)
{
    FileListModel& dest = m_browsers.destFiles;
    // Read when the merge begins, not when the window last read it: another
    // window or process may have harvested into the folder since, and its
    // icons are duplicates like any other. No other run changes the folder
    // from here on, as this one holds it.
    dest.reread();
    const QString destFolder = dest.directory();
    // The comparisons go through the destination list as the file list holds
    // it, and the index follows the list: a "Save Icon" at a pump writes a
    // file and reads the list again, and the merge's own copies join it.
    DestinationIndex index(m_files, dest);
    m_firstComparison = true;

    for (int ci = 0; ci < collected.size(); ++ci) {
        if (abandoned())
            return Next::Abandon;
        const QString& name = collected[ci];
        const QString path = platform::JoinPath(collectedFolder, name);

        if (m_host.stopState() == StopState::AddAllRemaining) {
            if (const std::optional<QString> copy = copyIn(path, destFolder))
                index.addUncompared(*copy);
            else
                keep.insert(ci);
            m_host.setStatus(CopyingText(name));
            pacedPump();
            continue;
        }

        // A collected file that cannot be read equals nothing; its copy then
        // fails too, and it stays for the next run.
        const Probe probe(m_files.comparableSignature(path));
        const Comparison found = compare(index, name, probe);
        if (found == Comparison::Abandoned)
            return Next::Abandon;
        if (found == Comparison::Stopped)
            return Next::End;
        if (found == Comparison::Duplicate)
            continue;

        if (const std::optional<QString> copy = copyIn(path, destFolder)) {
            index.addCompared(*copy, probe);
        } else {
            keep.insert(ci);
            // The list is read again after a failed copy as after any other:
            // what others put into the folder meanwhile is compared with too.
            dest.reread();
        }
        if (kind == Kind::Tree)
            pacedPump();
    }
    return Next::End;
}

HarvestRun::Comparison HarvestRun::compare(
    DestinationIndex& index, const QString& name, const Probe& probe)
{
    // The count is looked at before each comparison: a pump may have read
    // the list again.
    for (int j = 0; j < index.count(); ++j) {
        // Every comparison is named, and the first of the merge is painted,
        // however short the merge; then the window paints at its steady pace.
        m_host.setComparing(name, index.name(j));
        if (!pacedPump(std::exchange(m_firstComparison, false)))
            return Comparison::Abandoned;
        if (j >= index.count())
            break;
        if (stopCheck(Question::Compare))
            return Comparison::Stopped;
        // The question's own event loop may have read the list again too.
        if (j >= index.count())
            break;
        if (index.equals(j, probe))
            return Comparison::Duplicate;
    }
    return Comparison::New;
}

std::optional<HarvestRun::Next> HarvestRun::stopCheck(Question question)
{
    if (m_host.stopState() != StopState::StopRequested)
        return std::nullopt;
    const bool search = question == Question::Search;
    switch (search ? m_host.askSearchStop() : m_host.askCompareStop()) {
    case StopAnswer::Yes:
        // The search: the walk ends, and what it collected is merged. The
        // compare: this icon and all later ones are not added.
        return search ? Next::Merge : Next::End;
    case StopAnswer::No:
        // The search: the run ends without a merge, the collected icons
        // staying in Temp. The compare: this icon's comparisons go on, and
        // the rest are copied without comparison.
        if (search)
            return Next::End;
        m_host.setStopState(StopState::AddAllRemaining);
        return std::nullopt;
    case StopAnswer::Cancel:
        break;
    }
    m_host.setStopState(StopState::None);
    return std::nullopt;
}

std::optional<QString> HarvestRun::copyIn(const QString& collected, const QString& destFolder)
{
    // The copy is written in the temporary folder, which this run holds, so
    // that a copy cut short by a kill leaves its temporary file there, to be
    // removed by the next run, and never in the destination itself.
    const std::optional<QString> target = m_files.copyToNewName(
        collected, m_tempFolder, [&] { return NextIconFileName(destFolder); });
    if (!target) {
        ++m_copyFailures;
        m_host.setStatus(kCopyFailedStatus);
        return std::nullopt;
    }
    ++m_added;
    return FileNameOf(*target);
}

void HarvestRun::cleanUp(
    const QStringList& collected, const QString& collectedFolder, const QSet<int>& keep)
{
    for (int i = 0; i < collected.size(); ++i) {
        const QString path = platform::JoinPath(collectedFolder, collected[i]);
        if (path.contains(QLatin1String(".ico")) && !keep.contains(i))
            m_files.deleteFile(path);
    }
}

void HarvestRun::end(Kind kind)
{
    m_endStarted = true;
    // Every step is tried, so that an error in one (a source folder removed
    // meanwhile) still leaves the window idle; the first error is raised at
    // the end.
    std::exception_ptr failure;
    const auto step = [&](auto&& action) {
        try {
            action();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    };
    // Read the destination again so that every copy of this run, those of
    // add-all mode included, is seen by the next merge and by the window.
    // Done first so that the source list's reads below still leave the
    // process's current directory at the source folder.
    step([&] { m_browsers.destFiles.reread(); });
    FileListModel& source = m_browsers.sourceFiles;
    step([&] {
        if (m_sourceSaved)
            source.setDirectory(m_savedSource);
    });
    step([&] { source.reread(); });
    step([&] { source.setMask(kExecutableMask); });
    m_objects.iconHolder.clear();
    m_host.setStatus(kReadyStatus);
    if (kind == Kind::Tree) {
        m_host.setCaption(Control::Button1, kScanTreeCaption);
        m_host.setEnabled(Control::Button4, true);
        m_host.setAnimation(false);
        step([&] { m_browsers.destDirs.rebuild(); });
        for (Control c : { Control::DirectoryListBox2, Control::DirectoryListBox1,
                 Control::DriveComboBox1, Control::DriveComboBox2, Control::Button2,
                 Control::Button3, Control::FileListBox1, Control::FileListBox2 })
            m_host.setEnabled(c, true);
    } else {
        m_host.setCaption(Control::Button4, kScanFileCaption);
        m_host.setEnabled(Control::Button1, true);
        m_host.setAnimation(false);
        step([&] { m_browsers.destDirs.rebuild(); });
        for (Control c : { Control::DirectoryListBox1, Control::DriveComboBox1,
                 Control::DirectoryListBox2, Control::DriveComboBox2, Control::Button2,
                 Control::Button3, Control::FileListBox2 })
            m_host.setEnabled(c, true);
    }
    if (!pump())
        return;
    m_leftInTemp = countCollected();
    m_files.removeDirectory(m_tempFolder);
    step([&] { m_browsers.destDirs.rebuild(); });
    pump();
    if (failure)
        std::rethrow_exception(failure);
}

int HarvestRun::countCollected()
{
    // What the next merge would collect: the icon files that the list of
    // the folder shows.
    int count = 0;
    if (const auto entries = m_files.listDirectory(m_tempFolder)) {
        for (const platform::DirEntry& entry : *entries) {
            if (!(entry.attributes & (platform::faDirectory | platform::faHidden))
                && platform::MatchesPattern(entry.name, kIconMask))
                ++count;
        }
    }
    return count;
}

bool HarvestRun::leftIconsBehind() const
{
    return !m_skipped.isEmpty() || m_copyFailures > 0 || m_leftInTemp > 0
        || !m_walkCutShort.isEmpty();
}

QString HarvestRun::skippedSummary() const
{
    return SkippedSummaryText(m_skipped, m_walkCutShort);
}

bool HarvestRun::abandoned()
{
    // Once the window is closing the run stops for good: it is not asked again.
    if (!m_abandoned && m_host.closing())
        m_abandoned = true;
    return m_abandoned;
}

bool HarvestRun::pump()
{
    if (abandoned())
        return false;
    m_host.pump();
    m_sincePump.restart();
    return !abandoned();
}

bool HarvestRun::pacedPump(bool now)
{
    if (m_pace == PumpPace::Exact || now || pumpDue())
        return pump();
    return !abandoned();
}

bool HarvestRun::pumpIfDue()
{
    return pumpDue() ? pump() : !abandoned();
}

bool HarvestRun::pumpDue()
{
    if (m_pace == PumpPace::Exact)
        return false;
    // The clock is looked at every 32nd time only: this is asked once per
    // comparison, millions of times in a large merge.
    if ((++m_pumpCheck & 31) != 0)
        return false;
    return m_sincePump.elapsed() >= m_intervalMs;
}

} // namespace glyphor
