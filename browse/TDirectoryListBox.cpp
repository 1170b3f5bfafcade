#include "browse/TDirectoryListBox.h"

#include "browse/BrowseErrors.h"
#include "browse/FocusFrame.h"
#include "browse/Glyphs.h"
#include "browse/ItemLayout.h"
#include "browse/ListAdapter.h"
#include "files/NativePath.h"
#include "platform/PixelArt.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace glyphor {

namespace {

Glyph GlyphOf(DirectoryListModel::EntryKind kind)
{
    switch (kind) {
    case DirectoryListModel::EntryKind::Open:
        return Glyph::OpenFolder;
    case DirectoryListModel::EntryKind::Current:
        return Glyph::CurrentFolder;
    case DirectoryListModel::EntryKind::Closed:
        break;
    }
    return Glyph::ClosedFolder;
}

// Entries step in by depth; subfolders one step further than the current one.
class FolderItemDelegate : public QStyledItemDelegate {
public:
    FolderItemDelegate(DirectoryListModel* model, QObject* parent)
        : QStyledItemDelegate(parent)
        , m_model(model)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override
    {
        const int row = index.row();
        if (row < 0 || row >= m_model->entries().size())
            return;
        const DirectoryListModel::Entry& entry = m_model->entries()[row];
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
        const int separators = int(m_model->directory().count(QLatin1Char('/')));
        const int offset = layout::FolderGlyphOffset(
            row, entry.kind == DirectoryListModel::EntryKind::Closed, separators);
        const QImage& glyph = GlyphImage(GlyphOf(entry.kind));
        platform::DrawPixelArt(*painter,
            layout::FolderGlyphRect(option.rect, offset, glyph.width(), glyph.height()), glyph);
        QRect textRect = option.rect;
        textRect.setLeft(layout::FolderTextLeft(option.rect, offset, glyph.width()));
        painter->setPen(
            selected ? option.palette.highlightedText().color() : option.palette.text().color());
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
            files::DisplayPath(entry.text));
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int row = index.row();
        int width = 0;
        if (row >= 0 && row < m_model->entries().size()) {
            const auto& entry = m_model->entries()[row];
            const int offset = layout::FolderGlyphOffset(row,
                entry.kind == DirectoryListModel::EntryKind::Closed,
                int(m_model->directory().count(QLatin1Char('/'))));
            width = layout::FolderTextLeft(QRect(), offset, 16)
                + option.fontMetrics.horizontalAdvance(files::DisplayPath(entry.text)) + 2;
        }
        return QSize(width, layout::FolderItemHeight(option.fontMetrics.height()));
    }

private:
    DirectoryListModel* m_model;
};

} // namespace

TDirectoryListBox::TDirectoryListBox(QWidget* parent, DirectoryListModel* model)
    : QListView(parent)
    , m_model(model ? model : new DirectoryListModel(this))
    , m_adapter(new ListAdapter([model = m_model] { return int(model->entries().size()); },
          [model = m_model](int row) { return files::DisplayPath(model->entries()[row].text); },
          this))
{
    // The bitmaps and the indents show where each folder stands; a screen
    // reader says it.
    m_adapter->setDescriptions([model = m_model](int row) {
        switch (model->entries()[row].kind) {
        case DirectoryListModel::EntryKind::Open:
            return QStringLiteral("open folder");
        case DirectoryListModel::EntryKind::Current:
            return QStringLiteral("current folder");
        case DirectoryListModel::EntryKind::Closed:
            break;
        }
        return QStringLiteral("subfolder");
    });
    setModel(m_adapter);
    setItemDelegate(new FolderItemDelegate(m_model, this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    showModel();
    connect(m_model, &DirectoryListModel::entriesReplaced, this, &TDirectoryListBox::showModel);
    connect(m_model, &DirectoryListModel::changed, this, &TDirectoryListBox::changed);
}

void TDirectoryListBox::showModel()
{
    m_syncing = true;
    m_adapter->reset();
    const QModelIndex selected = m_adapter->index(m_model->selectedIndex(), 0);
    if (selected.isValid()) {
        setCurrentIndex(selected);
        // A hidden list has no size of its own yet (a form reads its folder
        // before it lays the list out): the view scrolls to the current row
        // itself when it is shown.
        if (isVisible())
            scrollTo(selected);
    }
    m_syncing = false;
}

void TDirectoryListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QListView::currentChanged(current, previous);
    if (!m_syncing && current.isValid())
        m_model->setSelectedIndex(current.row());
}

void TDirectoryListBox::paintEvent(QPaintEvent* event)
{
    QListView::paintEvent(event);
    DrawFocusFrameOnEmptyList(*this);
}

void TDirectoryListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) {
        QListView::mouseDoubleClickEvent(event);
        return;
    }
    m_model->setSelectedIndex(index.row());
    RunReportingErrors(this, [this] { m_model->openSelected(); });
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        RunReportingErrors(this, [this] { m_model->openSelected(); });
        return;
    }
    QListView::keyPressEvent(event);
}

} // namespace glyphor
