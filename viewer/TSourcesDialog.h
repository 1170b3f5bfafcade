#pragma once
// The Sources dialog of the viewer: every place the selected icon was found,
// as the catalogue of its folder records them (the file, the icon's index in
// it, the archive member, the icon group and when it was captured), and the
// largest image of its original group at its own size, which "Save Full
// Icon As..." writes out whole. A fixed-size window; it reads nothing
// itself: the viewer hands it what the catalogue gave.

#include "catalogue/CatalogueRecords.h"

#include <QDialog>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

class QLabel;
class QPixmap;
class QPushButton;
class QScrollArea;
class QTreeWidget;

namespace glyphor {

// The columns of the list of sources.
enum SourceColumn { FileColumn, IndexColumn, MemberColumn, GroupColumn, TimeColumn };

// The largest picture shown without scrolling, in pixels; the largest icon
// images are 256 x 256.
inline constexpr int kLargestShownPicture = 256;

class TSourcesDialog : public QDialog {
    Q_OBJECT
public:
    // iconName is the icon file's name as the system gives it; places are
    // its sources, oldest first; original is its original group, when one
    // was kept; problems are the catalogues that could not be read;
    // harvested is the icon file's own picture, when the viewer has it.
    TSourcesDialog(const QString& iconName, const std::vector<catalogue::CatalogueEntry>& places,
        std::optional<std::vector<std::uint8_t>> original, const QStringList& problems,
        const QPixmap& harvested = {}, QWidget* parent = nullptr);

    QScrollArea* PictureFrame;
    QLabel* Picture; // the largest original image at its own size; empty without one
    QLabel* Summary; // "Icon0003.ico was found in 3 places."
    QLabel* PictureText; // what the picture is, or why there is none
    QLabel* Harvested; // the icon file's own picture, beside the original
    QLabel* HarvestedText;
    QTreeWidget* SourceList;
    QLabel* ProblemText; // hidden when every catalogue was read
    QPushButton* SaveFullIcon1;
    QPushButton* CloseButton;

public slots:
    void SaveFullIcon1Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showPicture();
    // The columns' widths within the list's; scrolls when the rows need
    // the vertical scroll bar.
    void fitColumns(bool scrolls);

    QString m_iconName;
    std::optional<std::vector<std::uint8_t>> m_original;
};

} // namespace glyphor
