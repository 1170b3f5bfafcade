#include "harvest/CaptureRecorder.h"

#include "exe/IconExtractor.h"
#include "files/FileSource.h"
#include "files/Folder.h"
#include "files/NativePath.h"
#include "harvest/CatalogueKeeper.h"

namespace glyphor {

struct CaptureRecorder::Parsed {
    std::shared_ptr<const files::Folder> folder;
    QString name;
    exe::IconSource icons;
};

CaptureRecorder::CaptureRecorder(CatalogueKeeper& keeper)
    : m_keeper(keeper)
{
    // Notices arise on the recorder's thread; they are passed on from the
    // harvest's.
    m_keeper.setTell([this](const QString& text) {
        const std::lock_guard lock(m_mutex);
        m_notices << text;
    });
    m_thread = std::thread([this] { run(); });
}

CaptureRecorder::~CaptureRecorder()
{
    finish();
}

std::uint64_t CaptureRecorder::record(Capture capture)
{
    const std::lock_guard lock(m_mutex);
    const std::uint64_t ticket = m_nextTicket++;
    m_queue.push_back(Item { ticket, std::move(capture), {}, {} });
    m_changed.notify_all();
    return ticket;
}

void CaptureRecorder::renamed(const QString& collected, const QString& taken)
{
    const std::lock_guard lock(m_mutex);
    m_queue.push_back(Item { m_nextTicket++, std::nullopt, collected, taken });
    m_changed.notify_all();
}

bool CaptureRecorder::recorded(std::uint64_t ticket) const
{
    const std::lock_guard lock(m_mutex);
    return m_done >= ticket;
}

void CaptureRecorder::waitFor(std::uint64_t ticket)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_done >= ticket; });
}

QStringList CaptureRecorder::takeNotices()
{
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_notices, QStringList());
}

void CaptureRecorder::finish()
{
    if (!m_thread.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_changed.notify_all();
    }
    m_thread.join();
    m_parsed.reset();
}

void CaptureRecorder::run()
{
    for (;;) {
        Item item;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stopping || !m_queue.empty(); });
            if (m_queue.empty())
                return;
            item = std::move(m_queue.front());
            m_queue.pop_front();
        }
        if (item.capture) {
            const Capture& c = *item.capture;
            m_keeper.captured(c.place, originalOf(c), c.iconFile, c.collected);
        } else {
            m_keeper.renamed(item.renamedFrom, item.renamedTo);
        }
        const std::lock_guard lock(m_mutex);
        m_done = item.ticket;
        m_changed.notify_all();
    }
}

std::optional<OriginalGroup> CaptureRecorder::originalOf(const Capture& capture)
{
    if (!capture.folder)
        return capture.group;
    // The file read last is kept parsed: a file's icons come one after the
    // other.
    if (!m_parsed || m_parsed->folder != capture.folder || m_parsed->name != capture.name) {
        m_parsed.reset();
        auto file = files::FileSource::openAt(capture.folder->descriptor(),
            files::ToNativePath(capture.name), files::ToNativePath(capture.place.file));
        if (!file)
            return std::nullopt;
        m_parsed.reset(
            new Parsed { capture.folder, capture.name, exe::IconSource(std::move(file)) });
    }
    return OriginalGroupOf(m_parsed->icons, capture.place.number - 1);
}

} // namespace glyphor
