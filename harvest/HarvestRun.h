#pragma once
// The two scans, "Scan Tree" and "Scan File", as one engine without widgets.
// It works on the main window's browser models and talks to the window only
// through HarvestHost; the window forwards its two button clicks here.
//
// A run goes through four phases: start (busy, the temporary folder made),
// extraction (the tree walk or the one file), merge and clean-up (new icons
// copied into the destination, collected files deleted) and end (idle, the
// temporary folder removed). It holds the calling thread from the click to its
// end and gives way only at host.pump(), where a second click on the scan
// button, then captioned "&Stop", sets the stop state that the run reads at its
// checks: before each entry of the tree walk and before each comparison of
// the merge.

#include "harvest/CaptureIcon.h"
#include "harvest/FileOps.h"
#include "harvest/HarvestHost.h"

#include <QElapsedTimer>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace glyphor {

class Browsers;
class DestinationIndex;
class IconProvider;
struct Probe;

// An icon that a run could not capture: the file, the icon's number counted
// from 1 (0 when the file's icons could not even be counted) of how many, and
// why.
struct SkippedIcon {
    QString file;
    int number = 0;
    int count = 0;
    QString reason;
};

// How often the run hands control to the window.
enum class PumpPace {
    // About every pumpIntervalMs during long stretches (walks through folders
    // without executables, long comparisons), and after every capture and
    // at the start and end of the run. The status text is brought up to date
    // before each pump and each question.
    Steady,
    // Exactly where the program's protocol pumps: after each capture, before
    // each comparison, after each copy, at the start and end. Every status
    // text is set. For tests that click at a given pump.
    Exact,
};

class HarvestRun {
public:
    HarvestRun(HarvestHost& host, Browsers& browsers, CaptureObjects& objects,
        const IconProvider& icons, FileOps& files = SystemFileOps());
    ~HarvestRun();
    HarvestRun(const HarvestRun&) = delete;
    HarvestRun& operator=(const HarvestRun&) = delete;

    void setPumpPace(PumpPace pace, int intervalMs = 15);

    // The click on "Scan Tree" (Button1): starts a run when its caption is
    // "Scan &Tree", records a stop request when it is "&Stop".
    void scanTreeClick();
    // The click on "Scan File" (Button4): the same for the file selected in
    // the source file list, which is fixed when the run starts.
    void scanFileClick();

    bool running() const { return m_running; }

    // The last run's figures: icons captured, and files added to the destination.
    int captured() const { return m_captured; }
    int added() const { return m_added; }
    // Icons skipped because they could not be captured, in the order met.
    const QList<SkippedIcon>& skipped() const { return m_skipped; }
    // Copies into the destination that failed ("Copy Failed (202)").
    int copyFailures() const { return m_copyFailures; }
    // Icon files that stayed in the temporary folder at the end: failed
    // copies, files that could not be deleted, or all after a stop answered No.
    int leftInTemp() const { return m_leftInTemp; }
    // Why the walk ended before the end of the tree (no free name left in the
    // temporary folder); empty when it did not.
    const QString& walkCutShort() const { return m_walkCutShort; }
    // True when the last run came to its end but left icons behind: any
    // skipped, any copy failed, the walk cut short or files left in Temp.
    bool leftIconsBehind() const;
    // What the window tells the user at the end of a run that skipped icons
    // or cut its walk short (SkippedSummaryText). Empty when there is nothing
    // to tell.
    QString skippedSummary() const;

    // The temporary folder of a destination folder: the folder joined with "Temp".
    static QString TempFolderOf(const QString& destination);

private:
    enum class Kind { Tree, File };
    // Where the run goes from a phase: on to the merge (or, within the
    // merge, on with it), to its end, or away without touching the window
    // again (it is closing).
    enum class Next { Merge, End, Abandon };
    enum class Question { Search, Compare };
    // How one collected icon's comparisons ended.
    enum class Comparison { Duplicate, New, Stopped, Abandoned };

    void run(Kind kind, const QString& file);
    void start(Kind kind);
    void prepareTempFolder();
    void removeKilledWritersTemporaries();
    Next walk(const QString& sourceFolder);
    void scanExecutable(const QString& path, const QString& shownName);
    Next extractFile(const QString& file);
    int countIcons(const QString& path, const QString& shownName);
    void skip(const QString& path, const QString& shownName, int number, int count,
        const QString& reason);
    // Copies a collected icon into the destination under the next free name
    // and counts it; returns the copy's file name, or nothing when the copy
    // failed, which it counts and puts in the status bar.
    std::optional<QString> copyIn(const QString& collected, const QString& destFolder);
    int countCollected();
    Next mergeAndCleanUp(Kind kind);
    Next merge(
        Kind kind, const QStringList& collected, const QString& collectedFolder, QSet<int>& keep);
    Comparison compare(DestinationIndex& index, const QString& name, const Probe& probe);
    // The stop check: when a stop click waits, asks the question and acts on
    // the answer; returns where the run goes, or nothing to go on.
    std::optional<Next> stopCheck(Question question);
    void cleanUp(
        const QStringList& collected, const QString& collectedFolder, const QSet<int>& keep);
    void end(Kind kind);

    void capture(const QString& exe, const QString& shownName, int index, int count);

    // The pumps. Each returns false once the run is abandoned (the window is
    // closing), and the caller then returns at once. pump() hands control to
    // the window now; pacedPump() does at the protocol's pumps: every time at
    // the exact pace, else when one is due or now is true; pumpIfDue() only
    // when one is due, for stretches the protocol does not pump in.
    bool abandoned();
    bool pump();
    bool pacedPump(bool now = false);
    bool pumpIfDue();
    bool pumpDue();

    HarvestHost& m_host;
    Browsers& m_browsers;
    CaptureObjects& m_objects;
    const IconProvider& m_icons;
    FileOps& m_files;

    PumpPace m_pace = PumpPace::Steady;
    int m_intervalMs = 15;
    QElapsedTimer m_sincePump;
    int m_pumpCheck = 0;

    bool m_running = false;
    bool m_abandoned = false;
    bool m_firstComparison = true; // of the merge, which is always painted
    QString m_tempFolder;
    QString m_savedSource;
    bool m_sourceSaved = false;
    bool m_endStarted = false;
    QStringList m_workList;
    int m_captured = 0;
    int m_added = 0;
    int m_copyFailures = 0;
    int m_leftInTemp = 0;
    QList<SkippedIcon> m_skipped;
    QString m_walkCutShort;
    bool m_lockHeld = false;
    int m_tempFolderError = 0; // why the temporary folder could not be made
};

} // namespace glyphor
