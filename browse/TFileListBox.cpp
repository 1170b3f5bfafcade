#include "browse/TFileListBox.h"

#include "browse/BrowseErrors.h"
#include "browse/FocusFrame.h"
#include "browse/Glyphs.h"
#include "browse/ItemLayout.h"
#include "browse/ListAdapter.h"
#include "files/NativePath.h"
#include "platform/PixelArt.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace glyphor {

namespace {

class FileItemDelegate : public QStyledItemDelegate {
public:
    FileItemDelegate(const TFileListBox* box)
        : QStyledItemDelegate(nullptr)
        , m_box(box)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override
    {
        const QString name = index.data().toString();
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        painter->fillRect(
            option.rect, selected ? option.palette.highlight() : option.palette.base());
        // The frame goes under the bitmap and the text, so that styles that
        // tint its inside leave them in their own colours.
        if (option.state & QStyle::State_HasFocus)
            DrawFocusFrame(*painter, *option.widget, option.rect,
                selected ? option.palette.color(QPalette::Highlight)
                         : option.palette.color(QPalette::Base));
        int glyphWidth = 0;
        if (m_box->showGlyphs()) {
            const QImage& glyph = GlyphImage(GlyphForFileName(name));
            glyphWidth = glyph.width();
            platform::DrawPixelArt(
                *painter, layout::FileGlyphRect(option.rect, glyph.width(), glyph.height()), glyph);
        }
        QRect textRect = option.rect;
        textRect.setLeft(layout::FileTextLeft(option.rect, m_box->showGlyphs(), glyphWidth));
        painter->setPen(
            selected ? option.palette.highlightedText().color() : option.palette.text().color());
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, name);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int glyphWidth = m_box->showGlyphs() ? 16 : 0;
        return QSize(layout::FileTextLeft(QRect(), m_box->showGlyphs(), glyphWidth)
                + option.fontMetrics.horizontalAdvance(index.data().toString()) + 2,
            layout::FileItemHeight(option.fontMetrics.height(), m_box->showGlyphs()));
    }

private:
    const TFileListBox* m_box;
};

} // namespace

TFileListBox::TFileListBox(QWidget* parent, FileListModel* model)
    : QListView(parent)
    , m_model(model ? model : new FileListModel(this))
    , m_adapter(new ListAdapter([model = m_model] { return model->count(); },
          [model = m_model](int row) { return files::DisplayPath(model->item(row)); }, this))
{
    setModel(m_adapter);
    auto* delegate = new FileItemDelegate(this);
    delegate->setParent(this);
    setItemDelegate(delegate);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every row has the same height, which lets the view skip measuring
    // thousands of names after each read.
    setUniformItemSizes(true);

    connect(m_model, &FileListModel::itemsReplaced, this, &TFileListBox::showItems);
    connect(m_model, &FileListModel::itemsAboutToBeInserted, this,
        [this](int index, int count) { m_adapter->beginInsert(index, count); });
    connect(m_model, &FileListModel::itemsInserted, this, [this] { m_adapter->endInsert(); });
    connect(m_model, &FileListModel::changed, this, [this] {
        showSelection();
        emit changed();
    });
    connect(m_model, &FileListModel::clicked, this, &TFileListBox::itemClicked);
    connect(m_model, &FileListModel::longReadStarted, this, &TFileListBox::beginWait);
    connect(m_model, &FileListModel::longReadEnded, this, &TFileListBox::endWait);
}

TFileListBox::~TFileListBox()
{
    while (m_waitDepth > 0)
        endWait();
}

void TFileListBox::setShowGlyphs(bool show)
{
    if (show == m_showGlyphs)
        return;
    m_showGlyphs = show;
    // Row heights depend on the glyphs; the view measures them again.
    showItems();
}

void TFileListBox::showItems()
{
    m_syncing = true;
    m_adapter->reset();
    m_syncing = false;
}

void TFileListBox::showSelection()
{
    m_syncing = true;
    const QModelIndex index = m_adapter->index(m_model->itemIndex(), 0);
    if (index.isValid()) {
        setCurrentIndex(index);
    } else {
        clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    m_syncing = false;
}

void TFileListBox::paintEvent(QPaintEvent* event)
{
    QListView::paintEvent(event);
    DrawFocusFrameOnEmptyList(*this);
}

void TFileListBox::mousePressEvent(QMouseEvent* event)
{
    // A click selects and reports even when the item was selected already;
    // the arrow keys report through currentChanged.
    m_mousePress = true;
    QListView::mousePressEvent(event);
    m_mousePress = false;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && event->button() == Qt::LeftButton)
        RunReportingErrors(this, [&] { m_model->select(index.row()); });
    // The view also highlights on a right press and clears on a control
    // click; the list's selection is the model's alone, so that the name
    // highlighted is always the file whose icons the picker shows.
    showSelection();
}

void TFileListBox::mouseReleaseEvent(QMouseEvent* event)
{
    // A control click on the selected name clears the view's highlight on
    // release; the selection stays the model's.
    QListView::mouseReleaseEvent(event);
    showSelection();
}

void TFileListBox::focusInEvent(QFocusEvent* event)
{
    // The view puts its cursor on the first row when focused; that is no
    // selection by the user.
    m_syncing = true;
    QListView::focusInEvent(event);
    m_syncing = false;
}

void TFileListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QListView::currentChanged(current, previous);
    if (!m_syncing && !m_mousePress && current.isValid())
        RunReportingErrors(this, [&] { m_model->select(current.row()); });
}

void TFileListBox::beginWait()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++m_waitDepth;
}

void TFileListBox::endWait()
{
    if (m_waitDepth == 0)
        return;
    --m_waitDepth;
    QApplication::restoreOverrideCursor();
}

} // namespace glyphor
