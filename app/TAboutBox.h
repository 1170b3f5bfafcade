#pragma once
// The About box: the program's picture, name and version, a notice of its
// maker and the running total of icons extracted. "&About" makes a new box
// each time and shows it modally; the total is the one of that moment.

#include <QDialog>

#include <cstdint>

class QLabel;
class QPushButton;

namespace glyphor {

// The figures of the box's layout, in pixels.
inline constexpr int kAboutClientWidth = 298;
inline constexpr int kAboutClientHeight = 213;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    // extractedCount is shown as it is now; the box does not follow later
    // changes while it is open.
    explicit TAboutBox(std::int32_t extractedCount, QWidget* parent = nullptr);

    QWidget* Panel1; // raised inside a lowered edge; holds the picture and the texts
    QWidget* Panel2; // the sunken frame of the picture
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Notice;
    QLabel* Label2;
    QLabel* IconCount;
    QPushButton* OKButton;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_centred = false;
};

} // namespace glyphor
