#include "browse/TDriveComboBox.h"

#include "browse/AccessibleComboBox.h"
#include "browse/BrowseErrors.h"
#include "browse/FocusFrame.h"
#include "browse/Glyphs.h"
#include "browse/ItemLayout.h"
#include "platform/PixelArt.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace glyphor {

namespace {

// Draws one drive item: its bitmap at the left, centred, then its text on
// one line, centred vertically ("&" shown as it is); with the focus frame of
// focused (the widget that has the focus) when it is given.
void PaintDriveItem(QPainter* painter, const QRect& rect, const DriveListModel::Item& item,
    bool selected, const QPalette& palette, const QWidget* focused)
{
    painter->save();
    if (selected)
        painter->fillRect(rect, palette.highlight());
    // The frame goes under the bitmap and the text, so that styles that tint
    // its inside leave them in their own colours.
    if (focused)
        DrawFocusFrame(*painter, *focused, rect,
            palette.color(selected ? QPalette::Highlight : QPalette::Base));
    const QImage& glyph = GlyphImage(GlyphForVolume(item.kind));
    platform::DrawPixelArt(
        *painter, layout::DriveGlyphRect(rect, glyph.width(), glyph.height()), glyph);
    QRect textRect = rect;
    textRect.setLeft(layout::DriveTextLeft(rect, glyph.width()));
    painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, item.text);
    painter->restore();
}

class DriveItemDelegate : public QStyledItemDelegate {
public:
    DriveItemDelegate(DriveListModel* model, QObject* parent)
        : QStyledItemDelegate(parent)
        , m_model(model)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override
    {
        if (index.row() < 0 || index.row() >= m_model->count())
            return;
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, option.palette.base());
        PaintDriveItem(painter, option.rect, m_model->items()[index.row()], selected,
            option.palette, option.state & QStyle::State_HasFocus ? option.widget : nullptr);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int width = index.row() >= 0 && index.row() < m_model->count()
            ? option.fontMetrics.horizontalAdvance(m_model->items()[index.row()].text)
            : 0;
        return QSize(layout::DriveTextLeft(QRect(), 16) + width + 4,
            layout::DriveItemHeight(option.fontMetrics.height()));
    }

private:
    DriveListModel* m_model;
};

} // namespace

TDriveComboBox::TDriveComboBox(QWidget* parent)
    : QComboBox(parent)
    , m_model(new DriveListModel(this))
{
    setItemDelegate(new DriveItemDelegate(m_model, this));
    SpeakItemsInWords(*this);
    fillFromModel();

    connect(m_model, &DriveListModel::itemsChanged, this, &TDriveComboBox::fillFromModel);
    connect(m_model, &DriveListModel::changed, this, [this] {
        showSelection();
        emit changed();
    });
    connect(m_model, &DriveListModel::clicked, this, &TDriveComboBox::itemClicked);
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (!m_syncing)
            RunReportingErrors(this, [&] { m_model->pick(index); });
    });
}

void TDriveComboBox::fillFromModel()
{
    m_syncing = true;
    clear();
    for (const DriveListModel::Item& item : m_model->items()) {
        addItem(item.text);
        setItemData(count() - 1, item.spoken, Qt::AccessibleTextRole);
    }
    setCurrentIndex(m_model->selectedIndex());
    m_syncing = false;
    update();
}

void TDriveComboBox::showSelection()
{
    m_syncing = true;
    setCurrentIndex(m_model->selectedIndex());
    m_syncing = false;
    update();
}

QSize TDriveComboBox::sizeHint() const
{
    QSize size = QComboBox::sizeHint();
    size.setHeight(std::max(size.height(), layout::DriveItemHeight(fontMetrics().height()) + 6));
    return size;
}

QSize TDriveComboBox::minimumSizeHint() const
{
    return QComboBox::minimumSizeHint();
}

void TDriveComboBox::paintEvent(QPaintEvent*)
{
    // The frame and arrow come from the style; the item inside is ours.
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field
        = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const int index = m_model->selectedIndex();
    const bool shown = index >= 0 && index < m_model->count();
    // The highlight alone would not tell the focus from a selection in
    // every colour scheme; the frame does.
    if (shown)
        PaintDriveItem(&painter, field, m_model->items()[index], hasFocus(), palette(),
            hasFocus() ? this : nullptr);
    else if (hasFocus())
        DrawFocusFrame(painter, *this, field, palette().color(QPalette::Base));
}

} // namespace glyphor
