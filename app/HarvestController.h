#pragma once
// The main window's side of the two scans, "Scan Tree" and "Scan File": the
// button clicks, and what the window shows while a harvest job runs. A click
// on a scan button starts a job on the browsers' folders, or, while one runs
// and the button reads "&Stop", requests a stop. The job's events become the
// window's steps in the order the window has always taken them: the captions,
// the stop state in Button1's Tag, the controls disabled and enabled again,
// the busy animation, the source file list showing the collected icons during
// the merge, the status texts and the message pumps at the job's checkpoints.
//
// GUI-free: the window comes in as a HarvestView, so the controller is tested
// without one.

#include "browse/Browsers.h"
#include "harvest/FileOps.h"
#include "harvest/HarvestObserver.h"
#include "harvest/HarvestOutcome.h"
#include "harvest/JobContext.h"

#include <QString>
#include <QStringList>

#include <exception>

namespace glyphor {

class HarvestView;
class IconProvider;
struct CaptureObjects;

// How often the window is pumped: at the steady pace (the window repaints at
// its own pace and takes a stop click at least every interval) or at every
// pump of the protocol (tests that click at a given pump).
using PumpPace = CheckpointPace;

class HarvestController final : private HarvestObserver {
public:
    HarvestController(HarvestView& view, Browsers& browsers, CaptureObjects& objects,
        const IconProvider& icons, FileOps& files = SystemFileOps());
    HarvestController(const HarvestController&) = delete;
    HarvestController& operator=(const HarvestController&) = delete;

    void setPumpPace(PumpPace pace, int intervalMs = 15);
    // The kinds of file the walk takes icons from, and whether it reads
    // archives (the Options menu); whether the destination's catalogue is
    // kept (always, but for tests that count every read of a file).
    void setKinds(const SourceKinds& kinds) { m_kinds = kinds; }
    void setArchives(bool archives) { m_archives = archives; }
    void setCatalogue(bool keep) { m_catalogue = keep; }

    // The click on "Scan Tree" (Button1): starts a run when its caption is
    // "Scan &Tree", requests a stop when it is "&Stop".
    void scanTreeClick();
    // The click on "Scan File" (Button4): the same for the file selected in
    // the source file list, which is fixed when the run starts.
    void scanFileClick();

    bool running() const { return m_token != nullptr; }

    // The last run's figures.
    const HarvestOutcome& outcome() const { return m_outcome; }
    int captured() const { return m_outcome.captured; }
    int added() const { return m_outcome.added; }
    const QList<SkippedIcon>& skipped() const { return m_outcome.skipped; }
    int copyFailures() const { return int(m_outcome.failedCopies.size()); }
    int leftInTemp() const { return m_outcome.leftInTemp; }
    const QString& walkCutShort() const { return m_outcome.walkCutShort; }
    bool leftIconsBehind() const { return m_outcome.leftIconsBehind(); }
    QString skippedSummary() const { return m_outcome.skippedSummary(); }

private:
    void run(HarvestRequest request);
    void requestStop();
    // Runs one step of the window's; its error is raised when the run has
    // ended, the first one only, so that every later step still happens.
    template <class Step> void step(Step&& action);
    bool tree() const { return m_kind == HarvestRequest::Kind::Tree; }

    // The job's events.
    void runStarted(const HarvestRequest& request) override;
    void stopStateChanged(StopState state) override;
    void iconCapturing(const IconPlace& place) override;
    void iconCaptured(const IconPlace& place, const QString& collectedName) override;
    void iconSkipped(const IconPlace& place, const QString& reason) override;
    void walkCutShort(const QString& reason) override;
    void mergeStarted(const QString& tempFolder) override;
    void comparing(const QString& collected, const QString& destination) override;
    void copiedIn(const QString& collected, const QString& destName, bool compared) override;
    void copyFailed(const QString& collected, bool compared) override;
    void addedWithoutComparison(const QString& collected) override;
    StopAnswer askStop(StopQuestion question) override;
    void checkpoint(Checkpoint at) override;
    void runEnding() override;
    void runEnded() override;

    HarvestView& m_view;
    Browsers& m_browsers;
    CaptureObjects& m_objects;
    const IconProvider& m_icons;
    FileOps& m_files;
    PumpPace m_pace = PumpPace::Steady;
    int m_intervalMs = 15;
    SourceKinds m_kinds;
    bool m_archives = false;
    bool m_catalogue = true;

    // While a run is in progress: its stop token, its kind, whether the
    // window is closing (it is touched no more), the source folder saved
    // when the merge showed Temp, the copies made without comparison that the
    // destination list does not show yet, and the first error of a step.
    StopToken* m_token = nullptr;
    HarvestRequest::Kind m_kind = HarvestRequest::Kind::Tree;
    bool m_closing = false;
    bool m_sourceSaved = false;
    QString m_savedSource;
    QStringList m_uncompared;
    std::exception_ptr m_stepFailure;

    HarvestOutcome m_outcome;
};

} // namespace glyphor
