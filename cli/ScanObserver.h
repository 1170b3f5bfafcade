#pragma once
// A harvest told on a terminal: status texts and progress on stderr (see
// ScanProgress), and Ctrl+C as the user's way to stop it. The first Ctrl+C
// stops the search and merges what was collected; one during the merge lets
// the merge go on to its end. A second Ctrl+C, at any time, ends the harvest
// at once and leaves every collected icon in the temporary folder for the
// next run: nothing collected is ever deleted by a Ctrl+C.

#include "cli/ScanProgress.h"
#include "harvest/HarvestObserver.h"
#include "harvest/PendingComparison.h"

#include <QString>

namespace glyphor {
class StopToken;
}

namespace glyphor::cli {

// Takes SIGINT for the life of the object and turns it into stop requests on
// token: the first requests a stop, the second abandons the harvest.
class InterruptHandler {
public:
    explicit InterruptHandler(StopToken& token);
    ~InterruptHandler();
    InterruptHandler(const InterruptHandler&) = delete;
    InterruptHandler& operator=(const InterruptHandler&) = delete;

    // How many times Ctrl+C was pressed since the object was made.
    static int count();
};

class ScanObserver : public HarvestObserver {
public:
    explicit ScanObserver(ScanProgress& progress);

    // Whether a Ctrl+C ended the search before the end of the tree.
    bool searchStopped() const { return m_searchStopped; }

    void runStarted(const HarvestRequest& request) override;
    void sourceOpened(const QString& file) override;
    void iconCapturing(const IconPlace& place) override;
    void iconCaptured(const IconPlace&, const QString&) override;
    // iconSkipped is not shown: every skipped icon is listed once, with its
    // full path, at the end of the run (see ReportScan).
    void walkCutShort(const QString& reason) override;
    void comparing(const QString& collected, const QString& destination) override;
    void copyFailed(const QString& collected, bool compared) override;
    void addedWithoutComparison(const QString& collected) override;
    StopAnswer askStop(StopQuestion question) override;
    void checkpoint(Checkpoint) override;
    void runEnding() override;
    void notice(const QString& text) override;

private:
    void status(const QString& text);
    void showComparison();
    // Tells of each Ctrl+C once, at the first checkpoint after it.
    void noteInterrupts();

    ScanProgress& m_progress;
    PendingComparison m_comparison;
    bool m_tree = true;
    bool m_searchStopped = false;
    int m_interruptsNoted = 0;
};

} // namespace glyphor::cli
