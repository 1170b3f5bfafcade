#include "harvest/Extraction.h"

#include "archive/ArchiveWalker.h"
#include "files/Folder.h"
#include "files/NativePath.h"
#include "harvest/CaptureIcon.h"
#include "harvest/CatalogueKeeper.h"
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

// The names of a member path after the file, joined as people read them.
QString MemberOf(const archive::MemberPath& path)
{
    QStringList names;
    for (std::size_t i = 1; i < path.parts().size(); ++i)
        names << files::FromNativePath(path.parts()[i]);
    return names.join(kMemberSeparator);
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
    if (m_job.catalogue.kept())
        m_recorder = std::make_unique<CaptureRecorder>(m_job.catalogue);
}

Extraction::~Extraction()
{
    // Captures not placed leave nothing behind: their records wait, and the
    // next harvest sets them right.
    if (m_recorder)
        m_recorder->finish();
}

void Extraction::finish()
{
    if (!m_recorder)
        return;
    placeRecorded(true);
    m_recorder->finish();
    for (const QString& notice : m_recorder->takeNotices())
        m_job.notice(notice);
    m_job.catalogue.setTell([&job = m_job](const QString& text) { job.notice(text); });
    m_recorder.reset();
}

void Extraction::placeRecorded(bool all)
{
    while (!m_pending.empty()) {
        Pending& next = m_pending.front();
        if (all)
            m_recorder->waitFor(next.ticket);
        else if (!m_recorder->recorded(next.ticket))
            break;
        const QString meant = files::FromNativePath(next.file->name());
        const QString taken = PlaceCapture(*next.file, *m_job.temp);
        if (taken != meant)
            m_recorder->renamed(meant, taken);
        m_pending.pop_front();
    }
    for (const QString& notice : m_recorder->takeNotices())
        m_job.notice(notice);
}

NextPhase Extraction::walk(const QString& sourceFolder)
{
    const files::Folder source = files::Folder::open(files::ToNativePath(sourceFolder));
    m_workList.clear();
    int index = 0;
    QString current = sourceFolder;
    files::Folder folder = source.duplicate();
    for (;;) {
        m_reading.reset();
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
        QStringList archives;
        for (int e = 0; e < total; ++e) {
            if (const std::optional<NextPhase> next = entryCheck())
                return *next;
            if (e < dots)
                continue;
            const platform::DirEntry& entry = entries[std::size_t(e - dots)];
            if (entry.attributes == platform::faDirectory) {
                InsertSorted(m_workList, current + entry.name);
                continue;
            }
            const std::string native = files::ToNativePath(entry.name);
            // Archives, and programs that may be self-extracting ones, are
            // read after the folder's own files.
            if (m_job.request.archives && !(entry.attributes & platform::faDirectory)
                && (archive::IsArchiveName(native) || archive::IsSelfExtractingName(native)))
                archives << entry.name;
            if (m_job.request.kinds.matches(entry.name)) {
                captureAll(IconInput { current + entry.name, &folder, entry.name, {} },
                    current + entry.name, {});
                if (m_job.abandoned())
                    return NextPhase::Abandon;
                // No name left in the temporary folder: the walk ends as a
                // stop answered Yes ends it, and the merge empties the folder.
                if (cutShort())
                    return NextPhase::Merge;
            }
        }
        if (!archives.isEmpty()) {
            if (const std::optional<NextPhase> ended = scanArchives(folder, current, archives))
                return *ended;
        }
        if (index >= m_workList.size())
            return NextPhase::Merge;
        current = m_workList[index] + QLatin1Char('/');
        folder = OpenBelow(source, m_workList[index].mid(sourceFolder.size()));
        ++index;
    }
}

std::optional<NextPhase> Extraction::entryCheck()
{
    // Captures recorded meanwhile take their names as the walk goes.
    if (!m_pending.empty())
        placeRecorded(false);
    // Not a checkpoint of the protocol: it keeps a window painted and takes
    // a stop during long stretches without captures.
    if (!m_job.ifDue(Checkpoint::Walking))
        return NextPhase::Abandon;
    return m_job.stopCheck(StopQuestion::Search);
}

void Extraction::captureAll(const IconInput& input, const QString& file, const QString& member)
{
    const int count = countIcons(input);
    for (int i = 0; i < count && !m_job.abandoned() && !cutShort(); ++i) {
        capture(IconPlace { file, i + 1, count, member }, input);
        m_job.checkpoint(Checkpoint::Captured);
    }
}

// The members of an archive as the walk meets them: those of the kinds
// harvested are captured; every member or archive left out is skipped and
// named; the stop is checked between members.
class Extraction::ArchiveScan final : public archive::ArchiveVisitor {
public:
    explicit ArchiveScan(Extraction& extraction)
        : m_extraction(extraction)
    {
    }
    std::optional<NextPhase> ended;

    bool wants(const archive::MemberPath& path) override
    {
        return m_extraction.m_job.request.kinds.matches(std::string_view(path.name()));
    }
    void member(const archive::MemberPath& path, std::span<const std::uint8_t> bytes) override
    {
        const QString file = files::FromNativePath(path.file());
        const QString member = MemberOf(path);
        m_extraction.captureAll(
            IconInput { ShownSource(file, member), nullptr, {}, bytes }, file, member);
    }
    void skipped(const archive::MemberPath& path, const std::string& reason) override
    {
        m_extraction.skip(IconPlace { files::FromNativePath(path.file()), 0, 0, MemberOf(path) },
            files::DisplayMessage(reason));
    }
    bool stopRequested() override
    {
        if (ended || m_extraction.m_job.abandoned() || m_extraction.cutShort())
            return true;
        ended = m_extraction.entryCheck();
        return ended.has_value();
    }

private:
    Extraction& m_extraction;
};

std::optional<NextPhase> Extraction::scanArchives(
    const files::Folder& folder, const QString& current, const QStringList& archives)
{
    for (const QString& name : archives) {
        ArchiveScan scan(*this);
        archive::ArchiveWalker(scan).walkFileAt(
            folder.descriptor(), files::ToNativePath(name), files::ToNativePath(current + name));
        if (m_job.abandoned())
            return NextPhase::Abandon;
        if (scan.ended)
            return scan.ended;
        if (cutShort())
            return NextPhase::Merge;
    }
    return std::nullopt;
}

NextPhase Extraction::file(const QString& file)
{
    // A stop requested meanwhile waits for the merge's first comparison.
    const files::Folder folder = files::Folder::open(files::ToNativePath(platform::FolderOf(file)));
    m_reading.reset();
    const IconInput input { file, &folder, platform::FileNameOf(file), {} };
    if (!file.isEmpty())
        captureAll(input, file, {});
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
    std::unique_ptr<PreparedIconFile> prepared;
    try {
        prepared
            = PrepareCaptureInto(m_job.objects, m_job.icons, input, place.number - 1, *m_job.temp);
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
    const QString meant = files::FromNativePath(prepared->name());
    if (m_recorder) {
        // Where the icon came from is recorded before its file takes its
        // name, so that no collected icon is ever without its source.
        CaptureRecorder::Capture record { place, nullptr, {}, std::nullopt, prepared->bytes(),
            meant };
        if (input.folder) {
            // The recorder reads the file's original group itself, from the
            // folder held open, while the walk goes on.
            if (!m_reading || m_reading->descriptor() < 0)
                m_reading = std::make_shared<const files::Folder>(input.folder->duplicate());
            record.folder = m_reading;
            record.name = input.name;
        } else {
            record.group = m_job.icons.original(input, place.number - 1);
        }
        m_pending.push_back(Pending { m_recorder->record(std::move(record)), std::move(prepared) });
        placeRecorded(false);
    } else {
        PlaceCapture(*prepared, *m_job.temp);
    }
    ++m_job.outcome.captured;
    m_job.observer.iconCaptured(place, meant);
}

void Extraction::skip(const IconPlace& place, const QString& reason)
{
    m_job.outcome.skipped.append(
        SkippedIcon { place.file, place.number, place.count, reason, place.member });
    m_job.observer.iconSkipped(place, reason);
}

} // namespace glyphor
