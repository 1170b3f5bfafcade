#pragma once
// The busy sign of a harvest run: a small looping animation of a magnifying
// glass searching a page, drawn in code. It plays from frame 0 to its stop
// frame and starts over until it is stopped.

#include <QTimer>
#include <QWidget>

namespace glyphor {

class BusyAnimation : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Active READ isActive WRITE setActive)
    Q_PROPERTY(int StopFrame READ stopFrame WRITE setStopFrame)
public:
    static constexpr int kFrameCount = 24;
    static constexpr int kWidth = 48;
    static constexpr int kHeight = 50;

    explicit BusyAnimation(QWidget* parent = nullptr);

    bool isActive() const { return m_timer.isActive(); }
    // Starting plays from frame 0; stopping shows frame 0 again.
    void setActive(bool on);

    int stopFrame() const { return m_stopFrame; }
    void setStopFrame(int frame);

    int frame() const { return m_frame; }

    // Frame number frame (0 .. kFrameCount - 1) as a picture of the control's size.
    static QPixmap FramePixmap(int frame);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void advance();

    QTimer m_timer;
    int m_frame = 0;
    int m_stopFrame = kFrameCount - 1;
};

} // namespace glyphor
