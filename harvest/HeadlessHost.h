#pragma once
// A harvest host without a window: glyphor2-cli and the engine's tests. It
// keeps the scan buttons' captions and the stop state as the window's buttons
// keep them, so that a second click on a scan reads as a stop, and has no
// controls to disable, no busy animation and no viewer window. Showing the
// status, pumping and answering the stop questions are left to each host.

#include "harvest/HarvestHost.h"

#include <QMap>

namespace glyphor {

class HeadlessHost : public HarvestHost {
public:
    StopState stopState() const override { return m_stopState; }
    void setStopState(StopState state) override { m_stopState = state; }
    QString caption(Control button) const override { return m_captions.value(button); }
    void setCaption(Control button, const QString& text) override { m_captions[button] = text; }
    void setEnabled(Control, bool) override { }
    void setAnimation(bool) override { }
    void showViewerIcon() override { }
    bool closing() const override { return false; }

private:
    QMap<Control, QString> m_captions { { Control::Button1, kScanTreeCaption },
        { Control::Button4, kScanFileCaption } };
    StopState m_stopState = StopState::None;
};

} // namespace glyphor
