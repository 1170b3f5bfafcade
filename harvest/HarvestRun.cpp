#include "harvest/HarvestRun.h"

#include "browse/DirectoryListModel.h"
#include "browse/FileListModel.h"
#include "browse/NameOrder.h"
#include "harvest/DestinationIndex.h"
#include "harvest/IconCounter.h"
#include "harvest/IconSource.h"
#include "harvest/NextIconFileName.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "util/Error.h"

#include <QFileInfo>

#include <algorithm>
#include <exception>
#include <utility>

namespace glyphor {

namespace {

const QString kExecutableMask = QStringLiteral("*.exe;*.dll");
const QString kIconMask = QStringLiteral("*.ico");

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
                                     [](const QString& a, const QString& b) { return compareNames(a, b) < 0; });
    list.insert(at, path);
}

QString FileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

HarvestRun::HarvestRun(HarvestHost& host, HarvestModels models, CaptureObjects& objects, const IconSource& icons,
                       FileOps& files)
    : m_host(host), m_models(models), m_objects(objects), m_icons(icons), m_files(files)
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
    return platform::joinPath(destination, QStringLiteral("Temp"));
}

void HarvestRun::scanTreeClick()
{
    // The animation is shown and started again by a stop click as well.
    m_host.setAnimation(true);
    const QString caption = m_host.caption(Control::Button1);
    if (caption == kStopCaption)
        m_host.setStopState(StopRequested);
    if (caption != kScanTreeCaption || m_running)
        return;
    run(Kind::Tree, QString());
}

void HarvestRun::scanFileClick()
{
    const QString caption = m_host.caption(Control::Button4);
    if (caption == kStopCaption)
        m_host.setStopState(StopRequested);
    if (caption != kScanFileCaption || m_running)
        return;
    // The file is fixed here: a click in the source file list during the run
    // changes nothing in it.
    run(Kind::File, m_models.sourceFiles.fileName());
}

void HarvestRun::run(Kind kind, const QString& file)
{
    m_running = true;
    m_abandoned = false;
    m_sourceSaved = false;
    m_savedSource.clear();
    m_captured = 0;
    m_added = 0;
    m_endStarted = false;
    m_tempFolder = TempFolderOf(m_models.destDirs.directory());
    std::exception_ptr failure;
    try {
        start(kind);
        Next next = Next::End;
        if (!m_abandoned) {
            if (kind == Kind::Tree) {
                QString source = m_models.sourceDirs.directory();
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
        m_host.setStatus(QStringLiteral("Busy."));
        m_host.setStopState(StopNone);
        m_host.setCaption(Control::Button1, kStopCaption);
        for (Control c : {Control::Button4, Control::Button2, Control::Button3, Control::DirectoryListBox1,
                          Control::DirectoryListBox2, Control::DriveComboBox1, Control::DriveComboBox2})
            m_host.setEnabled(c, false);
        pumpNow();
        if (m_abandoned)
            return;
        m_host.setEnabled(Control::FileListBox2, false);
    } else {
        // The single-file scan shows its animation first: the tree scan's
        // click handler has already done so before the run starts.
        m_host.setAnimation(true);
        m_host.setStatus(QStringLiteral("Busy."));
        for (Control c : {Control::Button1, Control::Button2, Control::Button3})
            m_host.setEnabled(c, false);
        m_host.setCaption(Control::Button4, kStopCaption);
        m_host.setStopState(StopNone);
        for (Control c : {Control::DirectoryListBox1, Control::DriveComboBox1, Control::DirectoryListBox2,
                          Control::DriveComboBox2, Control::FileListBox2})
            m_host.setEnabled(c, false);
        pumpNow();
    }
}

void HarvestRun::prepareTempFolder()
{
    // A failure to create the folder is not an error: it may be left from an
    // earlier run, and a destination that cannot be written fails the first
    // capture with its own message.
    m_files.createDirectory(m_tempFolder);
    // But something else under that name must stop the run here. The merge
    // collects whatever the folder's list shows and the clean-up deletes it:
    // through a file the list would show the destination itself, through a
    // link a folder elsewhere, and their icons would be deleted uncopied.
    const std::optional<unsigned> attributes = platform::attributesOf(m_tempFolder);
    if (attributes && (!(*attributes & platform::faDirectory) || (*attributes & platform::faSymLink)))
        throw Error(FormatMessage("Cannot create folder %s: a file or link of that name is in the way",
                                  platform::messagePath(m_tempFolder)));
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
        const std::vector<platform::DirEntry> entries = std::move(listed).value_or(std::vector<platform::DirEntry>());
        // The listing leaves out "." and "..", which the system's search
        // gives first for every folder but the root. The stop is checked
        // before each of them all the same, so that a stop click is answered
        // in a folder that is empty too.
        const int dots = searched && current != QLatin1String("/") ? 2 : 0;
        const int total = dots + int(entries.size());
        for (int e = 0; e < total; ++e) {
            if (m_abandoned || isClosing()) {
                m_abandoned = true;
                return Next::Abandon;
            }
            // Not a pump of the protocol: it keeps the window painted and
            // delivers a stop click during long stretches without captures.
            if (pumpDue()) {
                pumpNow();
                if (m_abandoned)
                    return Next::Abandon;
            }
            if (m_host.stopState() == StopRequested) {
                switch (m_host.askSearchStop()) {
                case StopAnswer::Yes:
                    return Next::Merge;
                case StopAnswer::No:
                    return Next::End;
                case StopAnswer::Cancel:
                    m_host.setStopState(StopNone);
                    break;
                }
            }
            if (e < dots)
                continue;
            const platform::DirEntry& entry = entries[std::size_t(e - dots)];
            if (entry.attributes == platform::faDirectory) {
                InsertSorted(m_workList, current + entry.name);
            } else if (IsExecutableName(entry.name)) {
                scanExecutable(current + entry.name, entry.name);
                if (m_abandoned)
                    return Next::Abandon;
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
    const int count = m_icons.count(path);
    for (int i = 0; i < count && !m_abandoned; ++i) {
        m_host.setStatus(QStringLiteral("Searching .... ") + shownName + QStringLiteral(" Icon ") +
                         QString::number(i + 1) + QStringLiteral(" of ") + QString::number(count));
        capture(path, i);
        pumpNow();
    }
}

HarvestRun::Next HarvestRun::extractFile(const QString& file)
{
    // No stop check here: every icon of the file is captured, and a stop
    // click meanwhile waits for the merge's first comparison.
    const int count = file.isEmpty() ? 0 : m_icons.count(file);
    for (int i = 0; i < count; ++i) {
        if (m_abandoned)
            return Next::Abandon;
        m_host.setStatus(QStringLiteral("Searching .... ") + file + QStringLiteral(" Icon ") +
                         QString::number(i + 1) + QStringLiteral(" of ") + QString::number(count));
        capture(file, i);
        pumpNow();
    }
    return m_abandoned ? Next::Abandon : Next::Merge;
}

void HarvestRun::capture(const QString& exe, int index)
{
    CaptureIcon(m_objects, m_icons, exe, index, m_tempFolder);
    ++m_captured;
    m_host.addExtracted();
}

HarvestRun::Next HarvestRun::mergeAndCleanUp(Kind kind)
{
    // A stop click that arrived after the walk's last check is dropped; the
    // single-file scan keeps it, to be answered at the first comparison.
    if (kind == Kind::Tree)
        m_host.setStopState(StopNone);
    FileListModel& source = m_models.sourceFiles;
    m_savedSource = source.directory();
    m_sourceSaved = true;
    source.showFolder(m_tempFolder, kIconMask);
    pumpNow();
    if (m_abandoned)
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

HarvestRun::Next HarvestRun::merge(Kind kind, const QStringList& collected, const QString& collectedFolder,
                                   QSet<int>& keep)
{
    FileListModel& dest = m_models.destFiles;
    const QString destFolder = dest.directory();
    // The comparisons go through the destination list as the file list holds
    // it. The index follows the list: it grows with each copy, and when the
    // list is read again (a "Save Icon" at a pump writes a file and reads it)
    // it takes the new names, keeping what it has read.
    DestinationIndex index(m_files, destFolder, dest.items());
    // Copies of add-all mode, not yet in the list: the list is read again
    // only after a copy made in compare mode, which then shows them too.
    QStringList addedUncompared;
    bool listing = false;
    const QMetaObject::Connection reread = QObject::connect(&dest, &FileListModel::itemsReplaced, [&] {
        if (listing)
            return;
        index.replaceNames(dest.items());
        addedUncompared.clear();
    });
    const struct Disconnect {
        QMetaObject::Connection connection;
        ~Disconnect() { QObject::disconnect(connection); }
    } disconnect{reread};
    // What a read of the destination list would show after a compare-mode
    // copy, at the cost of a few insertions instead of a listing and sort of
    // the whole folder.
    const auto listGrew = [&](const QString& copy, const Probe& probe) {
        listing = true;
        const auto add = [&](const QString& name, const Probe* signature) {
            const int before = dest.count();
            dest.addFile(name);
            for (int k = before; k < dest.count(); ++k) {
                if (signature)
                    index.insert(name, *signature);
                else
                    index.insert(name);
            }
        };
        for (const QString& name : std::as_const(addedUncompared))
            add(name, nullptr);
        addedUncompared.clear();
        add(FileNameOf(copy), &probe);
        listing = false;
    };
    const bool exact = m_pace == PumpPace::Exact;

    for (int ci = 0; ci < collected.size(); ++ci) {
        if (m_abandoned || isClosing()) {
            m_abandoned = true;
            return Next::Abandon;
        }
        const QString& name = collected[ci];
        const QString path = platform::joinPath(collectedFolder, name);

        if (m_host.stopState() == AddAllRemaining) {
            const QString target = NextIconFileName(destFolder);
            if (m_files.copyFile(path, target)) {
                ++m_added;
                addedUncompared << FileNameOf(target);
            } else {
                m_host.setStatus(QStringLiteral("Copy Failed (202)"));
                keep.insert(ci);
            }
            m_host.setStatus(QStringLiteral("Coping .... ") + name);
            if (exact || pumpDue())
                pumpNow();
            continue;
        }

        const Probe probe(m_files.readSignature(path));
        bool found = false;
        const auto comparing = [&](int j) {
            return QStringLiteral("Comparing .... ") + name + QStringLiteral(" with ") + index.name(j);
        };
        // The count is looked at before each comparison: a pump may have
        // read the list again.
        for (int j = 0; j < index.count(); ++j) {
            // pumpDue is false at the exact pace, which pumps every time.
            if (exact || pumpDue()) {
                m_host.setStatus(comparing(j));
                pumpNow();
            }
            if (m_abandoned || isClosing()) {
                m_abandoned = true;
                return Next::Abandon;
            }
            if (j >= index.count())
                break;
            if (m_host.stopState() == StopRequested) {
                if (!exact)
                    m_host.setStatus(comparing(j));
                switch (m_host.askCompareStop()) {
                case StopAnswer::Yes:
                    // This icon and all later ones are not added.
                    return Next::End;
                case StopAnswer::No:
                    m_host.setStopState(AddAllRemaining);
                    break;
                case StopAnswer::Cancel:
                    m_host.setStopState(StopNone);
                    break;
                }
                if (j >= index.count())
                    break;
            }
            if (index.equals(j, probe)) {
                found = true;
                break;
            }
        }
        if (found)
            continue;

        const QString target = NextIconFileName(destFolder);
        if (m_files.copyFile(path, target)) {
            ++m_added;
            listGrew(target, probe);
        } else {
            m_host.setStatus(QStringLiteral("Copy Failed (202)"));
            keep.insert(ci);
        }
        if (kind == Kind::Tree && (exact || pumpDue()))
            pumpNow();
    }
    return Next::End;
}

void HarvestRun::cleanUp(const QStringList& collected, const QString& collectedFolder, const QSet<int>& keep)
{
    for (int i = 0; i < collected.size(); ++i) {
        const QString path = platform::joinPath(collectedFolder, collected[i]);
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
    step([&] { m_models.destFiles.reread(); });
    FileListModel& source = m_models.sourceFiles;
    step([&] {
        if (m_sourceSaved)
            source.setDirectory(m_savedSource);
    });
    step([&] { source.reread(); });
    step([&] { source.setMask(kExecutableMask); });
    m_objects.iconHolder.clear();
    m_host.setStatus(QStringLiteral("Ready."));
    if (kind == Kind::Tree) {
        m_host.setCaption(Control::Button1, kScanTreeCaption);
        m_host.setEnabled(Control::Button4, true);
        m_host.setAnimation(false);
        step([&] { m_models.destDirs.rebuild(); });
        for (Control c : {Control::DirectoryListBox2, Control::DirectoryListBox1, Control::DriveComboBox1,
                          Control::DriveComboBox2, Control::Button2, Control::Button3, Control::FileListBox1,
                          Control::FileListBox2})
            m_host.setEnabled(c, true);
    } else {
        m_host.setCaption(Control::Button4, kScanFileCaption);
        m_host.setEnabled(Control::Button1, true);
        m_host.setAnimation(false);
        step([&] { m_models.destDirs.rebuild(); });
        for (Control c : {Control::DirectoryListBox1, Control::DriveComboBox1, Control::DirectoryListBox2,
                          Control::DriveComboBox2, Control::Button2, Control::Button3, Control::FileListBox2})
            m_host.setEnabled(c, true);
    }
    pumpNow();
    if (m_abandoned)
        return;
    m_files.removeDirectory(m_tempFolder);
    step([&] { m_models.destDirs.rebuild(); });
    pumpNow();
    if (failure)
        std::rethrow_exception(failure);
}

void HarvestRun::pumpNow()
{
    if (m_abandoned || isClosing()) {
        m_abandoned = true;
        return;
    }
    m_host.pump();
    m_sincePump.restart();
    if (isClosing())
        m_abandoned = true;
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

bool HarvestRun::isClosing() const
{
    return m_host.closing();
}

} // namespace glyphor
