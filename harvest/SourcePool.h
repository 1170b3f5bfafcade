#pragma once
// The threads that read a harvest's sources ahead of it: each takes the next
// source in the order the walk submitted them (a file, or an archive with
// all its members), reads, unpacks and decodes it, and hands what it made to
// the source's task, where the harvest's own thread takes it in turn. A task
// holds a bounded amount ahead: a reader whose task is full waits until the
// harvest has taken some, so that memory stays bounded however fast the
// readers are. Cancelling a task (a stop, the end of the walk) reaches its
// reader at once.

#include "harvest/SourceWork.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <variant>
#include <vector>

namespace glyphor {

// A member of an archive, an archive in one, or the rest of one, left out,
// and why.
struct ArchiveSkip {
    QString file;
    QString member;
    QString reason;
};

class SourceTask {
public:
    using Item = std::variant<SourceWork, ArchiveSkip>;
    // The most a task holds ahead of the harvest, in items and in bytes.
    static constexpr std::size_t kMaxItems = 64;
    static constexpr std::size_t kMaxBytes = std::size_t { 64 } << 20;

    enum class Wait { Item, End, Interrupted };
    // The harvest's side: the next item, waiting for it. While it waits,
    // interrupted() is asked every few milliseconds; true ends the wait.
    Wait next(Item& out, const std::function<bool()>& interrupted);
    // Whether next() would return at once.
    bool ready() const;
    void cancel();

    // The reader's side: hands an item over, waiting while the task is full;
    // false once the task is cancelled (the item is dropped then).
    bool push(Item item);
    void finish();
    bool cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }
    const std::atomic<bool>& cancelFlag() const { return m_cancelled; }

private:
    static std::size_t SizeOf(const Item& item);

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Item> m_items;
    std::size_t m_bytes = 0;
    bool m_finished = false;
    std::atomic<bool> m_cancelled { false };
};

// What a reader thread keeps for itself: an icon provider and the scratch
// objects of its captures.
struct ReaderTools {
    const IconProvider& icons;
    CaptureObjects& objects;
};

class SourcePool {
public:
    using Work = std::function<void(SourceTask&, ReaderTools&)>;
    // tools makes each thread's own tools, on that thread.
    using MakeTools = std::function<void(const std::function<void(ReaderTools&)>&)>;

    SourcePool(int threads, MakeTools tools);
    // Cancels whatever is still queued or being read, and waits for the
    // threads to end.
    ~SourcePool();
    SourcePool(const SourcePool&) = delete;
    SourcePool& operator=(const SourcePool&) = delete;

    // Queues work for task, behind everything submitted before it.
    void submit(std::shared_ptr<SourceTask> task, Work work);

private:
    void run();

    MakeTools m_tools;
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::deque<std::pair<std::shared_ptr<SourceTask>, Work>> m_queue;
    std::vector<std::shared_ptr<SourceTask>> m_running;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace glyphor
