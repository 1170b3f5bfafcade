#pragma once
// The icon picker: a drop-down list that shows, one per line, the icons stored
// in one executable. Item i shows icon number i of the file, so the selected
// index is the icon index that extraction takes.

#include "harvest/IconProvider.h"

#include <QComboBox>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QStyledItemDelegate>

#include <memory>
#include <optional>
#include <vector>

namespace glyphor {

// An image as it is, with its own transparency: its alpha where it has one,
// its mask otherwise.
QImage IconQImage(const IconImage& icon);

// An extracted icon as the picker shows it: what a capture would save, the
// icon brought to 32 x 32 with its one-bit mask, transparent where the mask
// says so. Null for an empty image.
QPixmap IconPixmap(const IconImage& icon);

// Where an icon of the given size is drawn inside an item: centred, each
// offset divided with truncation toward zero as integer division does.
QRect CenteredIconRect(const QRect& item, const QSize& icon);

// The longest file name the control accepts; a longer one counts as missing.
inline constexpr int kMaxIconFileName = 255;

class TIconComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString FileName READ fileName WRITE setFileName)
    Q_PROPERTY(bool AutoDisable READ autoDisable WRITE setAutoDisable)
    Q_PROPERTY(bool EnableCaching READ enableCaching WRITE setEnableCaching)
    Q_PROPERTY(int NumberOfIcons READ numberOfIcons)
    Q_PROPERTY(int DropDownCount READ maxVisibleItems WRITE setMaxVisibleItems)
    Q_PROPERTY(int ItemIndex READ currentIndex WRITE setCurrentIndex)
public:
    // The icons come from source; without one, from the platform's extraction.
    explicit TIconComboBox(
        QWidget* parent = nullptr, std::shared_ptr<const IconProvider> source = nullptr);
    ~TIconComboBox() override;

    QString fileName() const { return m_fileName; }
    // A different name (compared exactly) is stored, the items are rebuilt and
    // fileChange() fires; the same name again does nothing at all, so a second
    // click on the same file keeps the selection.
    void setFileName(const QString& name);

    bool autoDisable() const { return m_autoDisable; }
    void setAutoDisable(bool on);

    bool enableCaching() const { return m_enableCaching; }
    // Turning caching off extracts every icon now; turning it on keeps them.
    void setEnableCaching(bool on);

    // The icon count of FileName, -1 while none has been taken.
    int numberOfIcons() const { return m_numberOfIcons; }

    // Releases every icon, rebuilds the items "0" .. "n-1" and selects item 0.
    void ReloadIcons();

    // The icon of item index: extracted on first use when caching is on, then
    // kept. Nothing for an index out of range or, caching off, an icon that
    // was not extracted; a null pixmap for an icon that could not be had.
    std::optional<QPixmap> ItemIcon(int index);

    // How many icons the items hold now (for checking that they are released).
    int heldIcons() const;

    // The fixed height of every line: the icon height plus 6.
    static int itemHeight();

    // Fills rect as an item is drawn (highlighted when selected) and puts the
    // item's icon in its centre. Never throws: a picture that cannot be drawn
    // leaves the line filled and empty.
    void drawItem(QPainter* painter, const QRect& rect, int index, bool selected, bool focused);

signals:
    void fileChange(); // OnFileChange: after FileName changed and the items were rebuilt

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool fileExists() const;
    QPixmap extract(int index) const;
    void applyEnablingRule();

    std::shared_ptr<const IconProvider> m_source;
    QString m_fileName;
    bool m_autoDisable = true;
    bool m_enableCaching = true;
    int m_numberOfIcons = -1;
    // One slot per item: empty while the item holds no icon object; a held
    // null pixmap stands for an object whose extraction failed.
    std::vector<std::optional<QPixmap>> m_icons;
};

// Draws the drop-down lines through the control's own item drawing.
class IconItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit IconItemDelegate(TIconComboBox* box);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    TIconComboBox* m_box;
};

} // namespace glyphor
