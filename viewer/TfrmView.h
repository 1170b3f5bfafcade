#pragma once
// The icon viewer window: the icon files of the destination folder as large
// icons with their names. It fills its names at once from the main window's
// destination list and loads the pictures on its first activation, keeping
// the window alive while it does; the user can stop the load, refresh the
// list, copy a file's full path and open the folder in the file browser.
//
// The window keeps the folder it was filled from, so every path it forms
// names the file that the item stands for even after the main window has
// moved to another folder; Refresh takes the main window's present folder.
//
// Where the selected icon came from is asked of the folder's catalogue when
// the selection changes, never while painting: the status bar says in how
// many places it was found, and Edit's "Sources..." and "Save Full Icon
// As..." show them and write its original group.

#include "controls/PacedPainting.h"
#include "viewer/IconLoad.h"

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QListView;
class QMenu;
class QStatusBar;

namespace glyphor {

class IconSources;
class ViewerItems;

// What a viewer fills itself from: the main window's destination folder and
// the names that its file list shows, in that list's order.
struct DestinationListing {
    QString folder;
    QStringList names;
};
using DestinationSource = std::function<DestinationListing()>;

// The figures of the window's layout, in pixels.
inline constexpr int kViewerClientWidth = 427;
inline constexpr int kViewerClientHeight = 302;

class TfrmView : public QMainWindow, private IconLoadHost {
    Q_OBJECT
public:
    explicit TfrmView(DestinationSource destination, QWidget* parent = nullptr);
    ~TfrmView() override;

    LoadState loadState() const { return m_load.state(); }
    // The folder the items were filled from.
    QString folder() const { return m_folder; }
    // The path of an item as the window shows and copies it: that folder and
    // the item's caption, joined by one "/" (none added after "/" itself).
    QString pathOf(int item) const;
    // The path of the item's file, which its picture is loaded from: that
    // folder and the file's name, whatever the caption has become.
    QString filePathOf(int item) const;
    // The text of one panel of the status bar (0 to 3; 3 is the selected
    // icon's places).
    QString panelText(int panel) const;

    // The end of the window as its "&Close" gives it: hidden at once, a
    // running load leaves at its next pump without touching the window
    // again, and the object is deleted once control is back in the event
    // loop (never from under a handler of its own that is still running).
    void destroyWindow();
    bool destroying() const { return m_destroying; }

    QListView* ListView1 = nullptr;
    ViewerItems* Items = nullptr; // the list's items and ImageList1, image k for item k
    QStatusBar* StatusBar1 = nullptr;

    QMenu* File1 = nullptr;
    QAction* Close2 = nullptr; // "&Stop" while loading, "&Close" after
    QAction* Refresh1 = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* CopyFileName2 = nullptr;
    QAction* ExploreDirectory1 = nullptr;
    QAction* Sources1 = nullptr; // also in the list's popup menu
    QAction* SaveFullIconAs1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Help2 = nullptr;
    QMenu* PopupMenu1 = nullptr; // the list's popup menu
    QAction* CopyFileName1 = nullptr;

public slots:
    void Close2Click();
    void Refresh1Click();
    void CopyFileName1Click();
    void CopyFileName2Click();
    void ExploreDirectory1Click();
    void Sources1Click();
    void SaveFullIconAs1Click();
    void Help2Click();
    void ListView1Click();
    void ListView1KeyUp();

signals:
    // Each time the window handles pending messages of its own accord (the
    // activation steps and the load's pumps), just before it does, with the
    // number of pictures loaded so far.
    void pumping(int images);
    // The window has been closed by a close request (its title bar, say)
    // and is hidden; whoever made it may now destroy it.
    void closed();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override; // FormCloseQuery

private:
    void buildMenus();
    void FormCreate();
    void FormActivate();
    void FormResize();
    void fill();
    // The path of the selected item; empty with none selected.
    QString selectedPath() const;
    // The selected item; -1 with none selected.
    int selectedItem() const;
    // The sources of the selected item, looked up again, and the panel and
    // entries that tell of them brought up to date.
    void SelectionChange();

    // What the load asks of the window.
    int itemCount() const override;
    QString itemPath(int item) const override;
    void appendImage(const IconImage& icon) override;
    void setStopCaption(bool loading) override;
    bool activate() override;
    bool pump() override;
    void showError(const QString& message) override;

    DestinationSource m_destination;
    QString m_folder;
    IconLoad m_load { *this };
    QLabel* m_panels[4] = {};
    // The catalogues of m_folder, opened at the first lookup.
    std::unique_ptr<IconSources> m_sources;
    bool m_loadBegun = false;
    bool m_centred = false;
    bool m_destroying = false;
    // While pictures load, they are shown at a steady pace rather than at
    // every pump.
    PacedPainting m_painting;
};

} // namespace glyphor
