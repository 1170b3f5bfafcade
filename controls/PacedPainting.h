#pragma once
// A window painted at a steady pace while a long command runs on the GUI
// thread. The command pumps pending events far more often than anyone can see
// (after every icon it captures) and changes what the window shows each time;
// painting every change costs more than the command's own work. While the
// pace is on, the window's requests to paint are held back and done at most
// once per frame of a FramePace, and the texts it shows are brought up to
// date just before each frame, so every frame shows the latest of them.
// Events other than painting (a stop click, a timer) are handled at every
// pump as before.

#include "controls/FramePace.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

namespace glyphor {

class PacedPainting : public QObject {
    Q_OBJECT
public:
    // window is a top-level widget that outlives this object. frame brings
    // what the window shows up to date with what was set since the last
    // frame (a status text, the pictures loaded); it is called at each frame
    // and must be cheap when nothing has changed.
    PacedPainting(QWidget& window, std::function<void()> frame, FramePace pace = FramePace());
    ~PacedPainting() override;
    PacedPainting(const PacedPainting&) = delete;
    PacedPainting& operator=(const PacedPainting&) = delete;

    bool active() const { return m_active; }
    // Puts the pace on; nothing else changes until the next change or request to paint.
    void begin();
    // Puts the pace off: the window is brought up to date at once and paints
    // what was held back at the next pass of the event loop.
    void end();

    // Something the window shows has changed. With the pace on it is shown
    // at the next frame; otherwise at once.
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FramePace::Duration now() const;
    void schedule();
    void tick();
    void releaseHeld();

    QWidget& m_window;
    std::function<void()> m_frame;
    FramePace m_pace;
    QElapsedTimer m_clock;
    QTimer m_timer;
    bool m_active = false;
    // A request to paint the window was held back; no other comes until it
    // has been handled, so it must be posted again.
    bool m_held = false;
    // A frame is being painted: its requests go through.
    bool m_framing = false;
};

} // namespace glyphor
