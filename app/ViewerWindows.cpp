#include "app/ViewerWindows.h"

namespace glyphor {

ViewerWindows::ViewerWindows(DestinationSource destination)
    : m_destination(std::move(destination))
{
}

ViewerWindows::~ViewerWindows()
{
    for (const QPointer<TfrmView>& viewer : std::as_const(m_all))
        delete viewer.data();
}

TfrmView* ViewerWindows::create()
{
    if (m_current && !m_current->destroying() && !m_current->isVisible())
        m_current->destroyWindow();
    m_all.removeAll(nullptr);
    auto* viewer = new TfrmView(m_destination);
    // Closed, it is of no more use: "View Dir" makes a new one.
    QObject::connect(viewer, &TfrmView::closed, viewer, [viewer] {
        if (!viewer->destroying())
            viewer->destroyWindow();
    });
    m_current = viewer;
    m_all.append(m_current);
    return m_current;
}

TfrmView* ViewerWindows::current() const
{
    return m_current && !m_current->destroying() ? m_current.data() : nullptr;
}

void ViewerWindows::destroyAll()
{
    for (const QPointer<TfrmView>& viewer : std::as_const(m_all))
        if (viewer && !viewer->destroying())
            viewer->destroyWindow();
}

} // namespace glyphor
