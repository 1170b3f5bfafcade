#pragma once
// The main window: the source browser with the icon picker and the three
// harvesting buttons, the destination browser with the three folder buttons,
// the status bar and the Help menu. Its controls are public members named as
// the window's stored layout names them, because the harvest engine, the
// viewer and the tests work on them directly.

#include "app/ViewerWindows.h"
#include "browse/Browsers.h"
#include "controls/PacedPainting.h"
#include "harvest/CaptureIcon.h"
#include "harvest/IconProvider.h"
#include "harvest/ImageList.h"
#include "harvest/RunTexts.h"
#include "harvest/SourceKinds.h"
#include "platform/RunningTotal.h"

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QMessageBox;
class QPushButton;
class QStatusBar;

namespace glyphor {

class BusyAnimation;
class HarvestController;
class TDirectoryListBox;
class TDriveComboBox;
class TFileListBox;
class TGradientCaption;
class TIconComboBox;

// The figures of the window's layout, in pixels.
inline constexpr int kClientWidth = 433;
inline constexpr int kClientHeight = 370;
inline constexpr int kStatusBarHeight = 21;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    // With the icons that the scans and Save Icon take from another source
    // than the platform's (tests); icons outlives the window.
    explicit TForm1(const IconProvider& icons, QWidget* parent = nullptr);
    ~TForm1() override;

    // The status bar's one panel: the text last set. While a run paints at
    // its pace, the panel shows it from the next frame on.
    QString statusText() const { return m_status; }
    void setStatusText(const QString& text);

    // The pace at which the window paints while a harvest run keeps it busy.
    PacedPainting& painting() { return m_painting; }

    // True once the window has been asked to close while a harvest run was
    // in progress: the run stops at its next check, and the window closes
    // when the run's handler has returned.
    bool closeRequested() const { return m_closeRequested; }
    // The stop question on screen, if any; a close request answers it Cancel.
    void setStopQuestion(QMessageBox* box);

    // The help file beside the program's executable.
    QString helpFile() const { return m_helpFile; }

    // Points one browser's drive list and folder list, and through them its
    // file list, at folder, as the user's picks would. Raises EInOutError
    // when the folder cannot be entered; the browser then stays where it was.
    enum class Browser { Source, Destination };
    void showFolder(Browser browser, const QString& folder);

    // The current icon viewer window; none once it has destroyed itself.
    TfrmView* currentViewer() const { return m_viewers.current(); }

    // Top-level children, in tab order.
    QListWidget* ListBox1 = nullptr; // sorted and hidden: the work list of the tree scan
    QGroupBox* GroupBox1 = nullptr; // "Source Drive"
    QGroupBox* GroupBox2 = nullptr; // "Destination Drive"
    QStatusBar* Label1 = nullptr;

    // The source group.
    TDriveComboBox* DriveComboBox1 = nullptr;
    TFileListBox* FileListBox1 = nullptr;
    QPushButton* Button1 = nullptr; // Scan Tree, Stop while a scan runs
    QPushButton* Button4 = nullptr; // Scan File
    TDirectoryListBox* DirectoryListBox1 = nullptr;
    TIconComboBox* IconComboBox1 = nullptr;
    QPushButton* Button6 = nullptr; // Save Icon
    QLabel* IconHolder = nullptr; // scratch images of the icon capture, under the picker
    QLabel* Image1 = nullptr;

    // The destination group.
    TDriveComboBox* DriveComboBox2 = nullptr;
    TFileListBox* FileListBox2 = nullptr;
    QPushButton* Button2 = nullptr; // Create Dir
    QPushButton* Button3 = nullptr; // Delete Dir
    QPushButton* Button5 = nullptr; // View Dir
    TDirectoryListBox* DirectoryListBox2 = nullptr;
    BusyAnimation* Animate1 = nullptr; // the busy sign of a harvest run

    // Menus.
    QMenu* Options1 = nullptr; // "&Options" of the main menu
    QAction* OtherSources1 = nullptr; // "Other Icon &Sources (...)", checkable
    QAction* Archives1 = nullptr; // "Look Inside &Archives", checkable
    QMenu* Help1 = nullptr; // "&Help" of the main menu
    QAction* Help2 = nullptr; // "&Help Topics", F1
    QAction* About1 = nullptr;
    QMenu* PopupMenu1 = nullptr; // "Whats This?", the popup menu of the six buttons
    QAction* WhatsThis1 = nullptr;

    // The title bar, drawn by the window itself.
    TGradientCaption* GradientCaption1 = nullptr;

    // What every capture passes through: the scratch icon holders and the
    // 32 x 32 image list, which holds its one image from the start.
    CaptureObjects Capture;
    ImageList& ImageList1 = Capture.imageList1;

    // The running total of icons extracted, over all runs of the program:
    // the total loaded when the window was created and this window's own
    // extractions since, which its close adds to the total stored by then.
    platform::RunningTotal ExtractedCount;
    // Adds this window's extractions so far to the stored total, as a close
    // does: at the session's end and on a signal that ends the program.
    void keepCount();

public slots:
    void DriveComboBox1Change();
    void DriveComboBox2Change();
    void FileListBox1Click();

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    // The mouse-up of each of the six buttons: that button takes the focus,
    // so that "Whats This?" speaks of the button under the mouse.
    void ButtonMouseUp(QPushButton* button);

    // The two options: stored, and the source file list's mask follows the
    // kinds of file harvested.
    void OtherSources1Click();
    void Archives1Click();
    void Help2Click();
    void About1Click();
    void WhatsThis1Click();

signals:
    // Every text the status bar is given, also those that a pump never shows.
    void statusTextChanged(const QString& text);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override; // FormCloseQuery

private:
    void FormCreate();
    void FormCloseQuery();
    // A click on one of the two scan buttons: starts a run, or while one is
    // in progress hands the click (a stop) to that run.
    void harvestClick(void (HarvestController::*click)());
    void buildSourceGroup();
    void buildDestinationGroup();
    void buildMenus();
    // The kinds of file harvested, as the Options menu says.
    SourceKinds sourceKinds() const;
    void buildCaption();
    void chainTabOrder();
    void nameForScreenReaders();
    QPushButton* makeButton(
        QWidget* parent, const QString& caption, int helpContext, QRect geometry);

    explicit TForm1(const IconProvider* icons, QWidget* parent);
    void showStatusText();

    QLabel* m_statusText = nullptr;
    QString m_status = kReadyStatus;
    QString m_helpFile;
    bool m_activated = false;
    bool m_centred = false;
    std::unique_ptr<PlatformIconProvider> m_platformIcons; // when no other source is given
    const IconProvider& m_icons;
    // The models of the two browsers, which the browser widgets show. Errors
    // of their events go to the application's error box.
    Browsers m_browsers;
    HarvestController* m_run = nullptr; // the run in progress, nested clicks go to it
    bool m_closeRequested = false;
    QPointer<QMessageBox> m_stopQuestion;
    ViewerWindows m_viewers;
    PacedPainting m_painting { *this, [this] { showStatusText(); } };
};

} // namespace glyphor
