#pragma once
// What a harvest run needs from the window that runs it. The main window
// implements this; the command-line tool and the tests implement it without
// a window. The engine calls it only on the thread that started the run.

#include <QString>

namespace glyphor {

// The stop state, kept by the window in the "Scan Tree" button's Tag. Both
// scans use it; a stop click only sets StopRequested, and the run reads it at
// its checks.
inline constexpr int StopNone = 0;
inline constexpr int StopRequested = 999;
inline constexpr int AddAllRemaining = 998;

// The answers of the two stop questions. Closing the box answers Cancel.
enum class StopAnswer { Yes, No, Cancel };

// The controls that a run disables and enables again, by their names in the
// main window.
enum class Control {
    Button1,           // "Scan &Tree"
    Button2,           // "&Create Dir"
    Button3,           // "&Delete Dir"
    Button4,           // "Scan &File"
    DirectoryListBox1, // source folder tree list
    DirectoryListBox2, // destination folder tree list
    DriveComboBox1,    // source drive list
    DriveComboBox2,    // destination drive list
    FileListBox1,      // source file list
    FileListBox2,      // destination file list
};

// Captions by which the scan buttons tell a start from a stop click; compared
// exactly, "&" included.
inline const QString kScanTreeCaption = QStringLiteral("Scan &Tree");
inline const QString kScanFileCaption = QStringLiteral("Scan &File");
inline const QString kStopCaption = QStringLiteral("&Stop");

// The stop questions: a Yes/No/Cancel box with the question icon.
inline const QString kStopQuestionTitle = QStringLiteral("Glyphor 2");
inline const QString kSearchStopQuestion =
    QStringLiteral("The Search has been stopped by the user.\n\nDo you wish to move onto the Compare ?");
inline const QString kCompareStopQuestion =
    QStringLiteral("The Compare as been stopped by the user.\n\nSelect Yes to Remove the Rest of the Icons\n"
                   "Select No to Skip the Compare and Add All Icons.");

class HarvestHost {
public:
    virtual ~HarvestHost() = default;

    // The status bar's text. The names in it are as the system gives them
    // and may hold undecodable bytes; a host shows the text with
    // platform::displayPath.
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
    static QString ComparingText(const QString& collected, const QString& destination)
    {
        return QStringLiteral("Comparing .... ") + collected + QStringLiteral(" with ") + destination;
    }
    // Handles pending window messages and returns; a stop click runs nested
    // in here and only sets the stop state.
    virtual void pump() = 0;
    // The search and compare stop questions (kSearchStopQuestion,
    // kCompareStopQuestion), modal, titled kStopQuestionTitle.
    virtual StopAnswer askSearchStop() = 0;
    virtual StopAnswer askCompareStop() = 0;

    // The stop state (Button1's Tag).
    virtual int stopState() const = 0;
    virtual void setStopState(int state) = 0;

    // Busy and idle. The engine calls these one control at a time, in the
    // order in which the window must change them.
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
    // temporary folder and calls nothing else of the host but this.
    virtual bool closing() const = 0;
};

} // namespace glyphor
