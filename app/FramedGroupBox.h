#pragma once
// A group box drawn with its caption set into an etched frame line. The
// window places its children at fixed positions that leave the top 16 pixels
// to the caption, which the style's own group box (caption above a faint
// frame) does not fit.

#include <QGroupBox>

namespace glyphor {

class FramedGroupBox : public QGroupBox {
    Q_OBJECT
public:
    FramedGroupBox(const QString& title, QWidget* parent = nullptr);

    // Where the frame runs and where the caption sits, for a box of the given
    // size, a caption of the given text size.
    struct Geometry {
        QRect frame;
        QRect caption;
    };
    static Geometry Layout(const QSize& box, const QSize& captionText);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace glyphor
