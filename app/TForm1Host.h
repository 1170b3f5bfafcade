#pragma once
// The main window as the harvest controller works it: the status bar, the
// message pump, the two stop questions, the stop state in the "Scan Tree"
// button's Tag and the controls that a run disables. One is made for each run; it
// holds the window through a guarded pointer, so that a window destroyed
// during a pump reads as closing and is never touched again. For as long as
// it lives the window paints at its steady pace, however often the run sets a
// text or pumps.

#include "app/HarvestView.h"
#include "harvest/PendingComparison.h"

#include <QPointer>

class QWidget;

namespace glyphor {

class TForm1;

// The dynamic property of Button1 that keeps the stop state.
inline constexpr char kTagProperty[] = "Tag";

class TForm1Host final : public HarvestView {
public:
    explicit TForm1Host(TForm1& form);
    ~TForm1Host() override;
    TForm1Host(const TForm1Host&) = delete;
    TForm1Host& operator=(const TForm1Host&) = delete;

    void setStatus(const QString& text) override;
    void setComparing(const QString& collected, const QString& destination) override;
    void pump() override;
    StopAnswer askSearchStop() override;
    StopAnswer askCompareStop() override;
    StopState stopState() const override;
    void setStopState(StopState state) override;
    QString caption(Control button) const override;
    void setCaption(Control button, const QString& text) override;
    void setEnabled(Control control, bool enabled) override;
    void setAnimation(bool playing) override;
    void showViewerIcon() override;
    void addExtracted() override;
    bool closing() const override;

private:
    QWidget* control(Control c) const;
    StopAnswer ask(const QString& question);
    void showComparison();
    void readStopState();

    QPointer<TForm1> m_form;
    PendingComparison m_comparison;
    // The button's Tag as last read or written, so that it is not looked up
    // by name each time; only a handler of a pump or of a question's own
    // loop can change it, so it is read again after those.
    StopState m_stopState = StopState::None;
};

} // namespace glyphor
