#include "app/HarvestController.h"

#include "app/HarvestView.h"
#include "harvest/CaptureIcon.h"
#include "harvest/HarvestJob.h"
#include "harvest/RunTexts.h"
#include "platform/FileSystem.h"

#include <initializer_list>

namespace glyphor {

HarvestController::HarvestController(HarvestView& view, Browsers& browsers, CaptureObjects& objects,
    const IconProvider& icons, FileOps& files)
    : m_view(view)
    , m_browsers(browsers)
    , m_objects(objects)
    , m_icons(icons)
    , m_files(files)
{
}

void HarvestController::setPumpPace(PumpPace pace, int intervalMs)
{
    m_pace = pace;
    m_intervalMs = intervalMs;
}

void HarvestController::scanTreeClick()
{
    const QString caption = m_view.caption(Control::Button1);
    if (caption == kStopCaption) {
        // A stop click shows and starts the animation again, but only while
        // a run is in progress: an idle window never shows it.
        if (running())
            m_view.setAnimation(true);
        requestStop();
    }
    // A click that reaches the button after the run has set its caption back
    // to "Scan &Tree" (a stop queued while the run ended) does nothing.
    if (caption != kScanTreeCaption || running())
        return;
    run(HarvestRequest::scanTree(
        m_browsers.sourceDirs.directory(), m_browsers.destDirs.directory()));
}

void HarvestController::scanFileClick()
{
    const QString caption = m_view.caption(Control::Button4);
    if (caption == kStopCaption)
        requestStop();
    if (caption != kScanFileCaption || running())
        return;
    // The file is fixed here: a click in the source file list during the run
    // changes nothing in it.
    run(HarvestRequest::scanFile(
        m_browsers.sourceFiles.fileName(), m_browsers.destDirs.directory()));
}

void HarvestController::requestStop()
{
    // Both scans keep the stop in Button1's Tag, where the window shows it.
    if (m_token)
        m_token->requestStop();
    m_view.setStopState(StopState::StopRequested);
}

void HarvestController::run(HarvestRequest request)
{
    request.kinds = m_kinds;
    request.archives = m_archives;
    request.catalogue = m_catalogue;
    StopToken token;
    m_token = &token;
    m_kind = request.kind;
    m_closing = false;
    m_sourceSaved = false;
    m_savedSource.clear();
    m_uncompared.clear();
    m_stepFailure = nullptr;
    HarvestJob job(request, m_icons, m_objects, *this, token, m_files);
    job.setPace(m_pace, m_intervalMs);
    std::exception_ptr failure;
    try {
        job.run();
    } catch (...) {
        failure = std::current_exception();
    }
    m_outcome = job.outcome();
    m_token = nullptr;
    if (!failure)
        failure = m_stepFailure;
    if (failure)
        std::rethrow_exception(failure);
}

template <class Step> void HarvestController::step(Step&& action)
{
    try {
        action();
    } catch (...) {
        if (!m_stepFailure)
            m_stepFailure = std::current_exception();
    }
}

void HarvestController::runStarted(const HarvestRequest&)
{
    m_view.setAnimation(true);
    m_view.setStatus(kBusyStatus);
    if (tree()) {
        m_view.setCaption(Control::Button1, kStopCaption);
        for (Control c :
            { Control::Button4, Control::Button2, Control::Button3, Control::DirectoryListBox1,
                Control::DirectoryListBox2, Control::DriveComboBox1, Control::DriveComboBox2 })
            m_view.setEnabled(c, false);
    } else {
        for (Control c : { Control::Button1, Control::Button2, Control::Button3 })
            m_view.setEnabled(c, false);
        m_view.setCaption(Control::Button4, kStopCaption);
        for (Control c : { Control::DirectoryListBox1, Control::DriveComboBox1,
                 Control::DirectoryListBox2, Control::DriveComboBox2, Control::FileListBox2 })
            m_view.setEnabled(c, false);
    }
}

void HarvestController::stopStateChanged(StopState state)
{
    if (!m_closing)
        m_view.setStopState(state);
}

void HarvestController::iconCapturing(const IconPlace& place)
{
    m_view.setStatus(SearchingText(ShownPlace(place, tree()), place.number, place.count));
}

void HarvestController::iconCaptured(const IconPlace&, const QString&)
{
    m_view.addExtracted();
}

void HarvestController::iconSkipped(const IconPlace& place, const QString& reason)
{
    m_view.setStatus(kSkippedPrefix
        + SkippedIconText(ShownPlace(place, tree()), place.number, place.count, reason));
}

void HarvestController::walkCutShort(const QString& reason)
{
    m_view.setStatus(WalkCutShortStatus(reason));
}

void HarvestController::mergeStarted(const QString& tempFolder)
{
    // The source file list shows the collected icons while they are merged,
    // and goes back to the source folder at the end.
    FileListModel& source = m_browsers.sourceFiles;
    m_savedSource = source.directory();
    m_sourceSaved = true;
    step([&] { source.showFolder(tempFolder, platform::kIconMask); });
}

void HarvestController::comparing(const QString& collected, const QString& destination)
{
    m_view.setComparing(collected, destination);
}

void HarvestController::copiedIn(const QString&, const QString& destName, bool compared)
{
    // The destination list follows the merge's copies as a read after each
    // compared copy would show them, without listing the folder each time:
    // the copies made without comparison join it with the next compared one.
    if (!compared) {
        m_uncompared << destName;
        return;
    }
    FileListModel& dest = m_browsers.destFiles;
    for (const QString& name : std::exchange(m_uncompared, QStringList()))
        dest.addFile(name);
    dest.addFile(destName);
}

void HarvestController::copyFailed(const QString&, bool compared)
{
    m_view.setStatus(kCopyFailedStatus);
    if (compared) {
        m_uncompared.clear();
        step([&] { m_browsers.destFiles.reread(); });
    }
}

void HarvestController::addedWithoutComparison(const QString& collected)
{
    m_view.setStatus(CopyingText(collected));
}

StopAnswer HarvestController::askStop(StopQuestion question)
{
    const StopAnswer answer
        = question == StopQuestion::Search ? m_view.askSearchStop() : m_view.askCompareStop();
    if (m_view.closing()) {
        m_closing = true;
        m_token->abandon();
        return StopAnswer::Cancel;
    }
    return answer;
}

void HarvestController::checkpoint(Checkpoint at)
{
    m_view.pump();
    // A window asked to close during the pump is touched no more; the run
    // stops at once and the window closes when it has returned.
    if (m_view.closing()) {
        m_closing = true;
        m_token->abandon();
        return;
    }
    switch (at) {
    case Checkpoint::Started:
        if (tree())
            m_view.setEnabled(Control::FileListBox2, false);
        break;
    case Checkpoint::MergeStarted:
        m_view.showViewerIcon();
        // Read when the merge begins, as the merge reads the folder itself.
        m_uncompared.clear();
        step([&] { m_browsers.destFiles.reread(); });
        break;
    default:
        break;
    }
}

void HarvestController::runEnding()
{
    if (m_closing)
        return;
    // Read the destination again so that every copy of this run, those made
    // without comparison included, shows. Done first so that the source
    // list's reads below still leave the process's current directory at
    // the source folder.
    step([&] { m_browsers.destFiles.reread(); });
    FileListModel& source = m_browsers.sourceFiles;
    step([&] {
        if (m_sourceSaved)
            source.setDirectory(m_savedSource);
    });
    step([&] { source.reread(); });
    // The mask of the kinds of file harvested: "*.exe;*.dll" unless the
    // other icon sources are harvested too.
    step([&] { source.setMask(m_kinds.mask()); });
    m_view.setStatus(kReadyStatus);
    if (tree()) {
        m_view.setCaption(Control::Button1, kScanTreeCaption);
        m_view.setEnabled(Control::Button4, true);
        m_view.setAnimation(false);
        step([&] { m_browsers.destDirs.rebuild(); });
        for (Control c : { Control::DirectoryListBox2, Control::DirectoryListBox1,
                 Control::DriveComboBox1, Control::DriveComboBox2, Control::Button2,
                 Control::Button3, Control::FileListBox1, Control::FileListBox2 })
            m_view.setEnabled(c, true);
    } else {
        m_view.setCaption(Control::Button4, kScanFileCaption);
        m_view.setEnabled(Control::Button1, true);
        m_view.setAnimation(false);
        step([&] { m_browsers.destDirs.rebuild(); });
        for (Control c : { Control::DirectoryListBox1, Control::DriveComboBox1,
                 Control::DirectoryListBox2, Control::DriveComboBox2, Control::Button2,
                 Control::Button3, Control::FileListBox2 })
            m_view.setEnabled(c, true);
    }
}

void HarvestController::runEnded()
{
    // A removed Temp disappears from the destination folder list.
    if (!m_closing)
        step([&] { m_browsers.destDirs.rebuild(); });
}

} // namespace glyphor
