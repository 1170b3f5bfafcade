#pragma once
// What a harvest run needs from the window that runs it. The main window
// implements this; the command-line tool and the tests implement it without
// a window. The engine calls it only on the thread that started the run.

#include "harvest/RunTexts.h"

#include <QString>

#include <iterator>

namespace glyphor {

// The stop state, kept by the window in the "Scan Tree" button's Tag, whose
// values these are. Both scans use it; a stop click only sets StopRequested,
// and the run reads it at its checks.
enum class StopState : int {
    None = 0,
    StopRequested = 999,
    // The compare stop question was answered No: the rest of the collected
    // icons are copied without comparison.
    AddAllRemaining = 998,
};

// The answers of the two stop questions. Closing the box answers Cancel.
enum class StopAnswer { Yes, No, Cancel };

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

// The comparison in progress as a host keeps it until it can be shown: the
// run names millions of comparisons in a large merge, and copying each pair
// of names into a status text would cost more than the comparisons.
class PendingComparison {
public:
    void set(const QString& collected, const QString& destination)
    {
        // The collected name is the same string for all of one icon's
        // comparisons; only a new one is copied.
        if (collected.constData() != m_collected.constData())
            m_collected = collected;
        m_destination = destination;
        m_pending = true;
    }
    // A later status text replaces it.
    void clear() { m_pending = false; }
    bool pending() const { return m_pending; }
    QString text() const { return ComparingText(m_collected, m_destination); }

private:
    bool m_pending = false;
    QString m_collected;
    QString m_destination;
};

class HarvestHost {
public:
    virtual ~HarvestHost() = default;

    // The status bar's text. The names in it are as the system gives them
    // and may hold undecodable bytes; a host shows the text with
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
    // in here and only sets the stop state.
    virtual void pump() = 0;
    // The search and compare stop questions (kSearchStopQuestion,
    // kCompareStopQuestion), modal, titled kStopQuestionTitle.
    virtual StopAnswer askSearchStop() = 0;
    virtual StopAnswer askCompareStop() = 0;

    // The stop state (Button1's Tag).
    virtual StopState stopState() const = 0;
    virtual void setStopState(StopState state) = 0;

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
