#include "harvest/SourcePool.h"

#include <chrono>

namespace glyphor {

std::size_t SourceTask::SizeOf(const Item& item)
{
    if (const SourceWork* work = std::get_if<SourceWork>(&item))
        return work->bytes();
    return sizeof(ArchiveSkip);
}

SourceTask::Wait SourceTask::next(Item& out, const std::function<bool()>& interrupted)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_items.empty()) {
            out = std::move(m_items.front());
            m_items.pop_front();
            m_bytes -= std::min(m_bytes, SizeOf(out));
            m_changed.notify_all();
            return Wait::Item;
        }
        if (m_finished)
            return Wait::End;
        // A stop asked for while a reader is deep in a large source is
        // answered within a few milliseconds, not when the source is read.
        m_changed.wait_for(lock, std::chrono::milliseconds(5));
        if (m_items.empty() && !m_finished) {
            lock.unlock();
            const bool stop = interrupted && interrupted();
            lock.lock();
            if (stop)
                return Wait::Interrupted;
        }
    }
}

bool SourceTask::ready() const
{
    const std::lock_guard lock(m_mutex);
    return !m_items.empty() || m_finished;
}

void SourceTask::cancel()
{
    m_cancelled.store(true);
    const std::lock_guard lock(m_mutex);
    m_changed.notify_all();
}

bool SourceTask::push(Item item)
{
    const std::size_t size = SizeOf(item);
    std::unique_lock lock(m_mutex);
    // One item is always taken, however large, so that no source is too
    // large to pass.
    m_changed.wait(lock, [&] {
        return cancelled() || m_items.empty()
            || (m_items.size() < kMaxItems && m_bytes + size <= kMaxBytes);
    });
    if (cancelled())
        return false;
    m_items.push_back(std::move(item));
    m_bytes += size;
    m_changed.notify_all();
    return true;
}

void SourceTask::finish()
{
    const std::lock_guard lock(m_mutex);
    m_finished = true;
    m_changed.notify_all();
}

SourcePool::SourcePool(int threads, MakeTools tools)
    : m_tools(std::move(tools))
{
    for (int i = 0; i < std::max(threads, 1); ++i)
        m_threads.emplace_back([this] { run(); });
}

SourcePool::~SourcePool()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        for (auto& queued : m_queue)
            queued.first->cancel();
        for (auto& running : m_running)
            running->cancel();
        m_queued.notify_all();
    }
    for (std::thread& t : m_threads)
        t.join();
}

void SourcePool::submit(std::shared_ptr<SourceTask> task, Work work)
{
    const std::lock_guard lock(m_mutex);
    m_queue.emplace_back(std::move(task), std::move(work));
    m_queued.notify_one();
}

void SourcePool::run()
{
    m_tools([this](ReaderTools& tools) {
        for (;;) {
            std::pair<std::shared_ptr<SourceTask>, Work> next;
            {
                std::unique_lock lock(m_mutex);
                m_queued.wait(lock, [&] { return m_stopping || !m_queue.empty(); });
                if (m_queue.empty())
                    return;
                next = std::move(m_queue.front());
                m_queue.pop_front();
                m_running.push_back(next.first);
            }
            SourceTask& task = *next.first;
            if (!task.cancelled()) {
                try {
                    next.second(task, tools);
                } catch (...) {
                    // The work hands its own failures over as items; nothing
                    // a reader does may take the program down.
                }
            }
            task.finish();
            const std::lock_guard lock(m_mutex);
            std::erase(m_running, next.first);
        }
    });
}

} // namespace glyphor
