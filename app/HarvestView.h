#pragma once
// The main window as the harvest controller works it: the status bar, the
// message pump, the two stop questions, the stop state in the "Scan Tree"
// button's Tag, the captions of the scan buttons and the controls that a run
// disables. The main window implements this; the controller's tests play it.

#include "harvest/HarvestObserver.h"
#include "harvest/RunTexts.h"
#include "harvest/StopToken.h"

#include <QString>

#include <iterator>

namespace glyphor {

// Captions of the scan buttons; a click tells a start from a stop by
// comparing with them exactly, "&" included.
inline const QString kScanTreeCaption = QStringLiteral("Scan &Tree");
inline const QString kScanFileCaption = QStringLiteral("Scan &File");
inline const QString kStopCaption = QStringLiteral("&Stop");

// The controls that a run disables and enables again, by their names in the
// main window.
enum class Control {
    Button1, // "Scan &Tree"
    Button2, // "&Create Dir"
    Button3, // "&Delete Dir"
    Button4, // "Scan &File"
    DirectoryListBox1, // source folder tree list
    DirectoryListBox2, // destination folder tree list
    DriveComboBox1, // source drive list
    DriveComboBox2, // destination drive list
    FileListBox1, // source file list
    FileListBox2, // destination file list
};

// The control's name in the main window, which is also its widget's object
// name ("Button1").
inline QString ControlName(Control control)
{
    static const char* const names[]
        = { "Button1", "Button2", "Button3", "Button4", "DirectoryListBox1", "DirectoryListBox2",
              "DriveComboBox1", "DriveComboBox2", "FileListBox1", "FileListBox2" };
    static_assert(std::size(names) == std::size_t(Control::FileListBox2) + 1);
    return QString::fromLatin1(names[int(control)]);
}

class HarvestView {
public:
    virtual ~HarvestView() = default;

    // The status bar's text. The names in it are as the system gives them
    // and may hold undecodable bytes; a window shows the text with
    // files::DisplayPath.
    virtual void setStatus(const QString& text) = 0;
    // The status of the merge's comparison in progress: "Comparing .... " +
    // collected + " with " + destination. Called for every comparison, which
    // a large merge makes millions of times, so a window may keep the two
    // names and put the text up at its next pump or question, which is all
    // the user can see of it; a later setStatus replaces it.
    virtual void setComparing(const QString& collected, const QString& destination)
    {
        setStatus(ComparingText(collected, destination));
    }
    // Handles pending window messages and returns; a stop click runs nested
    // in here.
    virtual void pump() = 0;
    // The search and compare stop questions (kSearchStopQuestion,
    // kCompareStopQuestion), modal, titled kStopQuestionTitle.
    virtual StopAnswer askSearchStop() = 0;
    virtual StopAnswer askCompareStop() = 0;

    // The stop state as Button1's Tag shows it.
    virtual StopState stopState() const = 0;
    virtual void setStopState(StopState state) = 0;

    // Busy and idle, one control at a time, in the order in which the window
    // must change them.
    virtual QString caption(Control button) const = 0;
    virtual void setCaption(Control button, const QString& text) = 0;
    virtual void setEnabled(Control control, bool enabled) = 0;
    // true: show the busy animation and start it; false: hide and stop it.
    virtual void setAnimation(bool playing) = 0;

    // When the merge begins: the main window takes the current viewer
    // window's icon, if there is a viewer window.
    virtual void showViewerIcon() = 0;
    // One icon captured: ExtractedCount + 1.
    virtual void addExtracted() = 0;

    // True once the window has been asked to close. The run then stops at its
    // next check without a question, leaves the collected icons in the
    // temporary folder and touches the window no more.
    virtual bool closing() const = 0;
};

} // namespace glyphor
