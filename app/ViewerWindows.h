#pragma once
// The main window's icon viewer windows: the current one, which each
// "View Dir" replaces with a new one, and the earlier ones that are still on
// screen, which stay as the user left them until the user closes them or the
// main window goes. A window that is closed, or replaced while it is not on
// screen (as the hidden one of the start is), is destroyed: each holds a
// picture of every icon of its folder.

#include "viewer/TfrmView.h"

#include <QList>
#include <QPointer>

namespace glyphor {

class ViewerWindows {
public:
    explicit ViewerWindows(DestinationSource destination);
    // Destroys the windows still there: they read the destination list,
    // which goes with the main window.
    ~ViewerWindows();

    ViewerWindows(const ViewerWindows&) = delete;
    ViewerWindows& operator=(const ViewerWindows&) = delete;

    // A new window filled from the destination, made current. Not shown.
    // The current one before it is destroyed unless it is on screen.
    TfrmView* create();
    // The newest window, or none once it has destroyed itself.
    TfrmView* current() const;
    // The main window's close: every window is destroyed, the current one
    // and the rest, so that no load running in one of them holds the end of
    // the application.
    void destroyAll();

private:
    DestinationSource m_destination;
    QPointer<TfrmView> m_current;
    QList<QPointer<TfrmView>> m_all;
};

} // namespace glyphor
