#include "harvest/Extraction.h"

#include "archive/ArchiveWalker.h"
#include "files/Folder.h"
#include "files/NativePath.h"
#include "harvest/CaptureIcon.h"
#include "harvest/CatalogueKeeper.h"
#include "harvest/DestinationIndex.h"
#include "harvest/FileOps.h"
#include "harvest/IconProvider.h"
#include "harvest/Merge.h"
#include "harvest/OriginalHashes.h"
#include "harvest/RunTexts.h"
#include "harvest/SourcePool.h"
#include "harvest/TempFolder.h"
#include "harvest/WalkPlan.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>

namespace glyphor {

namespace {

// Captures recorded in the catalogue in one transaction, their files named
// after it is committed.
constexpr std::size_t kCapturesPerCommit = 256;
// The longest a capture waits for its name while the walk goes on.
constexpr qint64 kMostMsUnnamed = 50;
// What is collected before a merge, however few files it takes in Temp:
// captures that share a file still take memory until they are merged.
constexpr int kMaxCollected = 100000;

// The names of a member path after the file, joined as people read them.
QString MemberOf(const archive::MemberPath& path)
{
    QStringList names;
    for (std::size_t i = 1; i < path.parts().size(); ++i)
        names << files::FromNativePath(path.parts()[i]);
    return names.join(kMemberSeparator);
}

QString MemberPositionOf(const archive::MemberPath& path)
{
    QStringList positions;
    for (const std::size_t p : path.positions())
        positions << QString::number(p);
    return positions.join(QLatin1Char('/'));
}

} // namespace

// One source's icons as the extraction takes them: counted, then one icon at
// a time.
class Extraction::Source {
public:
    virtual ~Source() = default;
    virtual const QString& path() const = 0;
    virtual const QString& file() const = 0;
    virtual const QString& member() const = 0;
    virtual const QString& memberPosition() const = 0;
    virtual int count(QString& unreadable) = 0;
    virtual IconWork icon(int index) = 0;
};

// Read now, on this thread, each icon when its turn comes.
class Extraction::InlineSource final : public Source {
public:
    InlineSource(JobContext& job, IconInput input, QString file, QString member, QString position,
        OriginalHashes* originals)
        : m_job(job)
        , m_input(std::move(input))
        , m_file(std::move(file))
        , m_member(std::move(member))
        , m_position(std::move(position))
        , m_originals(originals)
    {
    }
    const QString& path() const override { return m_input.path; }
    const QString& file() const override { return m_file; }
    const QString& member() const override { return m_member; }
    const QString& memberPosition() const override { return m_position; }
    int count(QString& unreadable) override { return CountIcons(m_job.icons, m_input, unreadable); }
    IconWork icon(int index) override
    {
        return ReadIcon(m_job.icons, m_job.objects, m_input, index, m_originals);
    }

private:
    JobContext& m_job;
    IconInput m_input;
    QString m_file;
    QString m_member;
    QString m_position;
    OriginalHashes* m_originals;
};

// Read ahead by a reader thread.
class Extraction::ReadySource final : public Source {
public:
    explicit ReadySource(SourceWork& work)
        : m_work(work)
    {
    }
    const QString& path() const override { return m_work.path; }
    const QString& file() const override { return m_work.file; }
    const QString& member() const override { return m_work.member; }
    const QString& memberPosition() const override { return m_work.memberPosition; }
    int count(QString& unreadable) override
    {
        unreadable = m_work.unreadable;
        return m_work.count;
    }
    IconWork icon(int index) override
    {
        if (index < int(m_work.icons.size()))
            return std::move(m_work.icons[std::size_t(index)]);
        IconWork none;
        none.kind = IconWork::Kind::Skipped;
        none.reason = kImageNotValidText;
        return none;
    }

private:
    SourceWork& m_work;
};

// The members of an archive as the walk meets them, on this thread: those of
// the kinds harvested are captured; every member or archive left out is
// skipped and named; the stop is checked between members.
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
        InlineSource source(m_extraction.m_job,
            IconInput { ShownSource(file, member), nullptr, {}, bytes }, file, member,
            MemberPositionOf(path), m_extraction.m_originals.get());
        m_extraction.captureAll(source);
    }
    void skipped(const archive::MemberPath& path, const std::string& reason) override
    {
        m_extraction.skip(IconPlace { files::FromNativePath(path.file()), 0, 0, MemberOf(path) },
            files::DisplayMessage(reason));
    }
    bool stopRequested() override
    {
        if (ended || !m_extraction.goesOn())
            return true;
        ended = m_extraction.entryCheck();
        return ended.has_value();
    }

private:
    Extraction& m_extraction;
};

namespace {

// The members of an archive as a reader thread meets them: what it makes of
// each goes to the archive's task, in order.
class ArchiveReadAhead final : public archive::ArchiveVisitor {
public:
    ArchiveReadAhead(SourceTask& task, ReaderTools& tools, const HarvestRequest& request,
        OriginalHashes* originals)
        : m_task(task)
        , m_tools(tools)
        , m_request(request)
        , m_originals(originals)
    {
    }
    bool wants(const archive::MemberPath& path) override
    {
        return m_request.kinds.matches(std::string_view(path.name()));
    }
    void member(const archive::MemberPath& path, std::span<const std::uint8_t> bytes) override
    {
        const QString file = files::FromNativePath(path.file());
        const QString member = MemberOf(path);
        m_task.push(ReadSource(m_tools.icons, m_tools.objects,
            IconInput { ShownSource(file, member), nullptr, {}, bytes }, file, member,
            MemberPositionOf(path), m_originals, m_task.cancelFlag()));
    }
    void skipped(const archive::MemberPath& path, const std::string& reason) override
    {
        m_task.push(ArchiveSkip {
            files::FromNativePath(path.file()), MemberOf(path), files::DisplayMessage(reason) });
    }
    bool stopRequested() override { return m_task.cancelled(); }

private:
    SourceTask& m_task;
    ReaderTools& m_tools;
    const HarvestRequest& m_request;
    OriginalHashes* m_originals;
};

} // namespace

Extraction::Extraction(JobContext& job, int folderError, DestinationIndex& index)
    : m_job(job)
    , m_folderError(folderError)
    , m_index(index)
{
    if (m_job.catalogue.kept())
        m_originals = std::make_unique<OriginalHashes>();
    if (m_job.temp && m_job.temp->ok()) {
        for (const QString& name : ListCollected(m_job.files, *m_job.temp))
            m_tempNames.add(name);
    }
    // Reading ahead would take the sources out of step with the checkpoints
    // that the exact pace is for.
    const int threads = m_job.pace() == CheckpointPace::Exact ? 1 : m_job.request.readerThreads();
    if (threads > 1) {
        const IconProvider& icons = m_job.icons;
        const int iconSize = m_job.objects.standardIconSize;
        m_pool = std::make_unique<SourcePool>(
            threads, [&icons, iconSize](const std::function<void(ReaderTools&)>& run) {
                const std::unique_ptr<IconProvider> own = icons.forAnotherThread();
                CaptureObjects objects(iconSize);
                ReaderTools tools { own ? *own : icons, objects };
                run(tools);
            });
    }
}

Extraction::~Extraction()
{
    cancelAhead();
    m_pool.reset();
}

void Extraction::cancelAhead()
{
    for (auto& ahead : m_ahead) {
        if (ahead.second)
            ahead.second->cancel();
    }
    m_ahead.clear();
    m_tasksAhead = 0;
}

QList<CollectedIcon> Extraction::finish()
{
    cancelAhead();
    placeWritten();
    m_files.clear();
    return std::exchange(m_collected, {});
}

std::shared_ptr<SourceTask> Extraction::submit(const WalkStep& step)
{
    auto task = std::make_shared<SourceTask>();
    const HarvestRequest& request = m_job.request;
    OriginalHashes* originals = m_originals.get();
    if (step.kind == WalkStep::Kind::File) {
        m_pool->submit(task, [step, originals](SourceTask& t, ReaderTools& tools) {
            t.push(ReadSource(tools.icons, tools.objects,
                IconInput { step.path, step.folder.get(), step.name, {} }, step.path, {}, {},
                originals, t.cancelFlag()));
        });
    } else {
        m_pool->submit(task, [step, originals, &request](SourceTask& t, ReaderTools& tools) {
            ArchiveReadAhead reader(t, tools, request, originals);
            archive::ArchiveWalker(reader).walkFileAt(step.folder->descriptor(),
                files::ToNativePath(step.name), files::ToNativePath(step.path));
        });
    }
    return task;
}

std::optional<WalkStep> Extraction::nextStep(WalkPlan& plan)
{
    if (m_pool) {
        // Sources are read this far ahead of the walk: enough to keep every
        // reader busy, few enough that what waits stays small.
        const int ahead = 4 * m_job.request.readerThreads();
        while (m_tasksAhead < ahead && m_ahead.size() < 65536) {
            std::optional<WalkStep> step = plan.next();
            if (!step)
                break;
            std::shared_ptr<SourceTask> task;
            if (step->kind != WalkStep::Kind::Entry) {
                task = submit(*step);
                ++m_tasksAhead;
            }
            m_ahead.emplace_back(std::move(*step), std::move(task));
        }
        if (m_ahead.empty())
            return std::nullopt;
        WalkStep step = std::move(m_ahead.front().first);
        if (m_ahead.front().second)
            --m_tasksAhead;
        return step;
    }
    return plan.next();
}

NextPhase Extraction::walk(const QString& sourceFolder)
{
    WalkPlan plan(m_job.files, m_job.request, sourceFolder, &m_job.destination, m_job.temp);
    const auto ended = [this](NextPhase next) {
        cancelAhead();
        return next;
    };
    while (std::optional<WalkStep> step = nextStep(plan)) {
        std::shared_ptr<SourceTask> task;
        if (m_pool) {
            task = std::move(m_ahead.front().second);
            m_ahead.pop_front();
        }
        std::optional<NextPhase> next;
        switch (step->kind) {
        case WalkStep::Kind::Entry:
            next = entryCheck();
            break;
        case WalkStep::Kind::File:
            if (task) {
                next = takeTask(*task, false, true);
            } else {
                InlineSource source(m_job,
                    IconInput { step->path, step->folder.get(), step->name, {} }, step->path, {},
                    {}, m_originals.get());
                captureAll(source);
            }
            break;
        case WalkStep::Kind::Archive:
            next = task ? takeTask(*task, true, true) : scanArchive(*step);
            break;
        }
        if (!next)
            next = afterSource();
        if (next)
            return ended(*next);
    }
    return NextPhase::Merge;
}

std::optional<NextPhase> Extraction::afterSource()
{
    if (m_job.abandoned())
        return NextPhase::Abandon;
    if (m_ended)
        return m_ended;
    // No name left in the temporary folder: the walk ends as a stop answered
    // Yes ends it, and the merge empties the folder.
    if (cutShort())
        return NextPhase::Merge;
    return std::nullopt;
}

std::optional<NextPhase> Extraction::scanArchive(const WalkStep& step)
{
    ArchiveScan scan(*this);
    archive::ArchiveWalker(scan).walkFileAt(
        step.folder->descriptor(), files::ToNativePath(step.name), files::ToNativePath(step.path));
    if (m_job.abandoned())
        return NextPhase::Abandon;
    return scan.ended;
}

std::optional<NextPhase> Extraction::takeTask(SourceTask& task, bool archive, bool stop)
{
    SourceTask::Item item;
    for (;;) {
        // Before each member of an archive, as before each entry.
        if (archive) {
            if (const std::optional<NextPhase> next = entryCheck())
                return next;
        }
        // Whatever was written waits no longer than the readers keep this
        // thread waiting.
        if (!task.ready())
            placeWritten();
        const SourceTask::Wait got = task.next(item, [&] {
            return m_job.abandoned() || (stop && m_job.token.state() == StopState::StopRequested);
        });
        if (got == SourceTask::Wait::End)
            return std::nullopt;
        if (got == SourceTask::Wait::Interrupted) {
            if (m_job.abandoned())
                return NextPhase::Abandon;
            // Nothing of this source has been told yet: the stop is answered
            // as before its entry.
            placeWritten();
            if (const std::optional<NextPhase> next = m_job.stopCheck(StopQuestion::Search))
                return next;
            continue;
        }
        if (SourceWork* work = std::get_if<SourceWork>(&item)) {
            ReadySource source(*work);
            captureAll(source);
        } else {
            const ArchiveSkip& skipped = std::get<ArchiveSkip>(item);
            skip(IconPlace { skipped.file, 0, 0, skipped.member }, skipped.reason);
        }
        if (const std::optional<NextPhase> next = afterSource())
            return next;
    }
}

NextPhase Extraction::file(const QString& file)
{
    // A stop requested meanwhile waits for the merge's first comparison.
    if (file.isEmpty())
        return m_job.abandoned() ? NextPhase::Abandon : NextPhase::Merge;
    const auto folder = std::make_shared<const files::Folder>(
        files::Folder::open(files::ToNativePath(platform::FolderOf(file))));
    const WalkStep step { WalkStep::Kind::File, folder, platform::FileNameOf(file), file };
    if (m_pool) {
        const std::shared_ptr<SourceTask> task = submit(step);
        const std::optional<NextPhase> next = takeTask(*task, false, false);
        if (next == NextPhase::Abandon)
            return NextPhase::Abandon;
    } else {
        InlineSource source(m_job, IconInput { file, folder.get(), step.name, {} }, file, {}, {},
            m_originals.get());
        captureAll(source);
    }
    if (m_job.abandoned())
        return NextPhase::Abandon;
    return m_ended ? *m_ended : NextPhase::Merge;
}

std::optional<NextPhase> Extraction::entryCheck()
{
    // A capture takes its name soon, however long the walk goes on without
    // another: whoever looks into Temp meanwhile finds it there.
    if (m_holding && m_sinceWritten.elapsed() >= kMostMsUnnamed)
        placeWritten();
    // Not a checkpoint of the protocol: it keeps a window painted and takes
    // a stop during long stretches without captures.
    if (!m_job.ifDue(Checkpoint::Walking))
        return NextPhase::Abandon;
    if (m_job.token.state() != StopState::StopRequested)
        return std::nullopt;
    // What was collected is in Temp under its names before the question:
    // an answer may end the run without a merge.
    placeWritten();
    return m_job.stopCheck(StopQuestion::Search);
}

void Extraction::captureAll(Source& source)
{
    m_job.observer.sourceOpened(source.path());
    QString unreadable;
    const int count = source.count(unreadable);
    if (!unreadable.isEmpty()) {
        skip(IconPlace { source.path(), 0, 0, {} }, unreadable);
        return;
    }
    for (int i = 0; i < count && goesOn(); ++i) {
        capture(IconPlace { source.file(), i + 1, count, source.member(), source.memberPosition() },
            source, i);
        m_job.checkpoint(Checkpoint::Captured);
    }
}

void Extraction::capture(const IconPlace& place, Source& source, int index)
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
    IconWork icon = source.icon(index);
    if (icon.kind != IconWork::Kind::Captured && icon.tookName) {
        // The name it took before it failed stays unused, as it always has.
        try {
            NextIconFileNameIn(*m_job.temp, IconNameRoom::FourDigits, &m_tempNames);
        } catch (const ENoFreeIconName&) {
        }
    }
    switch (icon.kind) {
    case IconWork::Kind::Skipped:
        skip(place, icon.reason);
        return;
    case IconWork::Kind::Failed:
        std::rethrow_exception(icon.failure);
    case IconWork::Kind::Captured:
        break;
    }
    collect(place, icon);
}

void Extraction::collect(const IconPlace& place, IconWork& icon)
{
    // A capture equal in every byte to one collected since the last merge
    // takes no name of its own: the merge reads the same bytes from that
    // one's file and does with it what it would do with a file of its own.
    const std::uint64_t hash = DestinationIndex::Hash(icon.file);
    const auto [first, last] = m_files.equal_range(hash);
    for (auto it = first; it != last; ++it) {
        if (it->second.bytes != icon.file)
            continue;
        const QString twin = m_collected[it->second.at].name;
        m_collected.push_back(CollectedIcon { twin, record(place, icon, twin), true });
        ++m_job.outcome.captured;
        m_job.observer.iconCaptured(place, twin);
        if (m_collected.size() >= kMaxCollected)
            mergeCollected();
        return;
    }

    QString name;
    try {
        name = NextIconFileNameIn(*m_job.temp, IconNameRoom::FourDigits, &m_tempNames);
    } catch (const ENoFreeIconName&) {
        // Temp is full: what it holds is merged, and the walk goes on.
        if (!mergeCollected())
            return;
        try {
            name = NextIconFileNameIn(*m_job.temp, IconNameRoom::FourDigits, &m_tempNames);
        } catch (const ENoFreeIconName& e) {
            // Still full: it holds what could not be copied. The walk ends
            // as a stop answered Yes ends it.
            m_job.outcome.walkCutShort = QString::fromStdString(e.what());
            m_job.observer.walkCutShort(m_job.outcome.walkCutShort);
            return;
        }
    }
    m_tempNames.add(name);
    auto written
        = std::make_unique<PreparedIconFile>(icon.file, *m_job.temp, files::ToNativePath(name));
    // Where the icon came from is recorded before its file takes its name,
    // so that no collected icon is ever without its source.
    const std::optional<catalogue::CaptureId> id = record(place, icon, name);
    const int at = int(m_collected.size());
    m_collected.push_back(CollectedIcon { name, id, false });
    m_files.emplace(hash, Kept { std::move(icon.file), at });
    m_written.push_back(Written { std::move(written), id, at });
    ++m_job.outcome.captured;
    m_job.observer.iconCaptured(place, name);
    if (m_written.size() >= kCapturesPerCommit)
        placeWritten();
}

std::optional<catalogue::CaptureId> Extraction::record(
    const IconPlace& place, const IconWork& icon, const QString& collected)
{
    // Recorded with others in one transaction, committed before their
    // files take their names.
    if (!m_holding) {
        m_job.catalogue.holdSteps();
        m_holding = true;
        m_sinceWritten.start();
    }
    return m_job.catalogue.captured(place, icon.original, icon.file, collected);
}

void Extraction::placeWritten()
{
    if (m_holding) {
        m_job.catalogue.commitSteps();
        m_holding = false;
    }
    if (m_written.empty())
        return;
    while (!m_written.empty()) {
        Written& next = m_written.front();
        QString taken;
        try {
            taken = PlaceCapture(*next.file, *m_job.temp, IconNameRoom::FourDigits, &m_tempNames);
        } catch (...) {
            // These never become files: their records go again.
            for (const Written& w : m_written) {
                if (w.id)
                    m_job.catalogue.forget(*w.id);
            }
            m_written.clear();
            throw;
        }
        CollectedIcon& icon = m_collected[next.at];
        if (taken != icon.name) {
            if (next.id)
                m_job.catalogue.renamed(*next.id, taken);
            icon.name = taken;
        }
        m_written.pop_front();
    }
}

bool Extraction::mergeCollected()
{
    placeWritten();
    m_files.clear();
    m_ended = Merge(m_job, m_index).run(std::exchange(m_collected, {}), true);
    if (m_ended)
        return false;
    // What could not be copied stays, under its name.
    m_tempNames.clear();
    for (const QString& name : ListCollected(m_job.files, *m_job.temp))
        m_tempNames.add(name);
    return true;
}

void Extraction::skip(const IconPlace& place, const QString& reason)
{
    m_job.outcome.skipped.append(
        SkippedIcon { place.file, place.number, place.count, reason, place.member });
    m_job.observer.iconSkipped(place, reason);
}

} // namespace glyphor
