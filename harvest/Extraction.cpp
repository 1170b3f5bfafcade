#include "harvest/Extraction.h"

#include "files/Folder.h"
#include "files/NativePath.h"
#include "harvest/CaptureIcon.h"
#include "harvest/FileOps.h"
#include "harvest/IconProvider.h"
#include "harvest/NextIconFileName.h"
#include "harvest/RunTexts.h"
#include "platform/FileSystem.h"
#include "platform/NameOrder.h"

#include <algorithm>
#include <cerrno>

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
// or equal to it, so that the folders are visited in the order of their full
// paths, each before its own subfolders.
void InsertSorted(QStringList& list, const QString& path)
{
    const auto at = std::upper_bound(list.begin(), list.end(), path,
        [](const QString& a, const QString& b) { return CompareNames(a, b) < 0; });
    list.insert(at, path);
}

// The folder at relative below source, opened one name at a time, never
// through a link: a folder that was queued and then replaced by a link (to
// "..", say) is not entered, and a path longer than the system's limit on a
// path is entered all the same.
files::Folder OpenBelow(const files::Folder& source, const QString& relative)
{
    files::Folder folder = source.duplicate();
    for (const QString& name : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        folder = folder.child(files::ToNativePath(name));
        if (!folder.ok())
            break;
    }
    return folder;
}

} // namespace

Extraction::Extraction(JobContext& job, int folderError)
    : m_job(job)
    , m_folderError(folderError)
{
}

NextPhase Extraction::walk(const QString& sourceFolder)
{
    const files::Folder source = files::Folder::open(files::ToNativePath(sourceFolder));
    m_workList.clear();
    int index = 0;
    QString current = sourceFolder;
    files::Folder folder = source.duplicate();
    for (;;) {
        // A folder that cannot be searched gives no entries and no checks.
        std::optional<std::vector<platform::DirEntry>> listed = m_job.files.listDirectory(folder);
        const bool searched = listed.has_value();
        const std::vector<platform::DirEntry> entries
            = std::move(listed).value_or(std::vector<platform::DirEntry>());
        // The listing leaves out "." and "..", which a directory search gives
        // first for every folder but the root. The stop is checked before
        // each of them all the same, so that a stop is answered in a folder
        // that is empty too.
        const int dots = searched && current != QLatin1String("/") ? 2 : 0;
        const int total = dots + int(entries.size());
        for (int e = 0; e < total; ++e) {
            // Not a checkpoint of the protocol: it keeps a window painted and
            // takes a stop during long stretches without captures.
            if (!m_job.ifDue(Checkpoint::Walking))
                return NextPhase::Abandon;
            if (const std::optional<NextPhase> answered = m_job.stopCheck(StopQuestion::Search))
                return *answered;
            if (e < dots)
                continue;
            const platform::DirEntry& entry = entries[std::size_t(e - dots)];
            if (entry.attributes == platform::faDirectory) {
                InsertSorted(m_workList, current + entry.name);
            } else if (IsExecutableName(entry.name)) {
                scanExecutable(folder, current + entry.name, entry.name);
                if (m_job.abandoned())
                    return NextPhase::Abandon;
                // No name left in the temporary folder: the walk ends as a
                // stop answered Yes ends it, and the merge empties the folder.
                if (cutShort())
                    return NextPhase::Merge;
            }
        }
        if (index >= m_workList.size())
            return NextPhase::Merge;
        current = m_workList[index] + QLatin1Char('/');
        folder = OpenBelow(source, m_workList[index].mid(sourceFolder.size()));
        ++index;
    }
}

void Extraction::scanExecutable(
    const files::Folder& folder, const QString& path, const QString& name)
{
    const IconInput input { path, &folder, name, {} };
    const int count = countIcons(input);
    for (int i = 0; i < count && !m_job.abandoned() && !cutShort(); ++i) {
        capture(IconPlace { path, i + 1, count }, input);
        m_job.checkpoint(Checkpoint::Captured);
    }
}

NextPhase Extraction::file(const QString& file)
{
    // A stop requested meanwhile waits for the merge's first comparison.
    const files::Folder folder = files::Folder::open(files::ToNativePath(platform::FolderOf(file)));
    const IconInput input { file, &folder, platform::FileNameOf(file), {} };
    const int count = file.isEmpty() ? 0 : countIcons(input);
    for (int i = 0; i < count && !cutShort(); ++i) {
        if (m_job.abandoned())
            return NextPhase::Abandon;
        capture(IconPlace { file, i + 1, count }, input);
        m_job.checkpoint(Checkpoint::Captured);
    }
    return m_job.abandoned() ? NextPhase::Abandon : NextPhase::Merge;
}

int Extraction::countIcons(const IconInput& input)
{
    m_job.observer.sourceOpened(input.path);
    try {
        return m_job.icons.countOf(input);
    } catch (const Error& e) {
        // A file that cannot be read at all is one bad file: the harvest
        // names it and goes on.
        skip(IconPlace { input.path, 0, 0 }, QString::fromStdString(e.what()));
        return 0;
    }
}

void Extraction::capture(const IconPlace& place, const IconInput& input)
{
    m_job.observer.iconCapturing(place);
    // Without the folder nothing can be collected: the capture fails with the
    // reason the folder could not be made (a destination on read-only media),
    // which says more than that the folder is missing.
    if (!m_job.temp || !m_job.temp->ok()) {
        const QString path = NextIconFileName(m_job.tempFolder);
        throw Error(FormatMessage("Cannot create file %s", files::DisplayPath(path).toStdString())
            + ": "
            + platform::SystemErrorText(m_folderError != 0 ? m_folderError : ENOENT).toStdString());
    }
    QString written;
    try {
        written = CaptureIconInto(m_job.objects, m_job.icons, input, place.number - 1, *m_job.temp);
    } catch (const EInvalidIcon& e) {
        // One bad icon never ends a harvest: it is named and counted, and
        // the walk goes on with the next.
        skip(place, QString::fromStdString(e.what()));
        return;
    } catch (const ENoFreeIconName& e) {
        m_job.outcome.walkCutShort = QString::fromStdString(e.what());
        m_job.observer.walkCutShort(m_job.outcome.walkCutShort);
        return;
    }
    ++m_job.outcome.captured;
    m_job.observer.iconCaptured(place, written);
}

void Extraction::skip(const IconPlace& place, const QString& reason)
{
    m_job.outcome.skipped.append(SkippedIcon { place.file, place.number, place.count, reason });
    m_job.observer.iconSkipped(place, reason);
}

} // namespace glyphor
