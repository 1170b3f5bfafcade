#pragma once
// Records where each capture of a harvest came from, on a thread of its own:
// reading a capture's original group and storing it in the catalogue goes on
// beside the captures that follow, on a machine's second processor. A
// capture's file still takes its name only once its record is in the
// catalogue: the harvest places its captures in the order it made them, each
// once recorded() passes its ticket, and all of them at finish().

#include "harvest/HarvestObserver.h"
#include "harvest/IconProvider.h"

#include <QString>
#include <QStringList>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace glyphor::files {
class Folder;
}

namespace glyphor {

class CatalogueKeeper;

class CaptureRecorder {
public:
    struct Capture {
        IconPlace place;
        // A file on disk: the folder it lies in, held open, and its name
        // there; its original group is read on the recorder's thread.
        std::shared_ptr<const files::Folder> folder;
        QString name;
        // A member of an archive: its original group, taken where the
        // member lay in memory.
        std::optional<OriginalGroup> group;
        std::vector<std::uint8_t> iconFile;
        QString collected; // the name its file is meant to take in Temp
    };

    // Records into keeper, which outlives the recorder and is touched by no
    // one else until finish() has returned.
    explicit CaptureRecorder(CatalogueKeeper& keeper);
    // Finishes first.
    ~CaptureRecorder();
    CaptureRecorder(const CaptureRecorder&) = delete;
    CaptureRecorder& operator=(const CaptureRecorder&) = delete;

    // Queues the record of a capture; its ticket.
    std::uint64_t record(Capture capture);
    // The collected file took another name than it was meant to.
    void renamed(const QString& collected, const QString& taken);
    // Whether the record of ticket is in the catalogue, without waiting; and
    // waiting for it.
    bool recorded(std::uint64_t ticket) const;
    void waitFor(std::uint64_t ticket);
    // What the catalogue had to tell since the last call (it is told on the
    // harvest's own thread, which calls this).
    QStringList takeNotices();
    // Waits for every record and ends the thread.
    void finish();

private:
    struct Item {
        std::uint64_t ticket = 0;
        std::optional<Capture> capture;
        QString renamedFrom;
        QString renamedTo;
    };
    void run();
    std::optional<OriginalGroup> originalOf(const Capture& capture);

    CatalogueKeeper& m_keeper;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Item> m_queue;
    std::uint64_t m_nextTicket = 1;
    std::uint64_t m_done = 0; // every ticket up to this one is recorded
    bool m_stopping = false;
    QStringList m_notices;

    // The recorder thread's own parse of the file it read last.
    struct Parsed;
    std::unique_ptr<Parsed> m_parsed;
};

} // namespace glyphor
