#include "viewer/ViewerItems.h"

#include "files/NativePath.h"
#include "iconfile/IconImage.h"

namespace glyphor {

namespace {

const char* const kColumns[] = { "Icon Name", "Type", "Size", "Date" };

} // namespace

ViewerItems::ViewerItems(QObject* parent)
    : QAbstractListModel(parent)
    , m_blank(kIconSize, kIconSize)
{
    m_blank.fill(Qt::transparent);
}

void ViewerItems::fill(const QStringList& names)
{
    beginResetModel();
    m_names = names;
    m_captions = names;
    endResetModel();
}

void ViewerItems::clear()
{
    beginResetModel();
    m_names.clear();
    m_captions.clear();
    m_images.clear();
    m_published = 0;
    endResetModel();
}

void ViewerItems::appendImage(const QPixmap& image)
{
    m_images.append(image);
}

void ViewerItems::publishImages()
{
    const int last = std::min(imageCount(), count()) - 1;
    if (last >= m_published)
        emit dataChanged(index(m_published), index(last), { Qt::DecorationRole });
    m_published = imageCount();
}

int ViewerItems::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant ViewerItems::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (!index.isValid() || row >= count())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::ToolTipRole:
        return files::DisplayPath(m_captions[row]);
    case Qt::DecorationRole:
        return row < imageCount() ? m_images[row] : m_blank;
    case FileNameRole:
        return m_names[row];
    default:
        return {};
    }
}

bool ViewerItems::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const int row = index.row();
    if (role != Qt::EditRole || !index.isValid() || row >= count())
        return false;
    const QString text = value.toString();
    // An edit left as it was shown keeps the name's own bytes, which the
    // shown form marks but cannot hold.
    if (text == files::DisplayPath(m_captions[row]))
        return true;
    m_captions[row] = text;
    emit dataChanged(index, index, { Qt::DisplayRole, Qt::EditRole });
    return true;
}

Qt::ItemFlags ViewerItems::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

QVariant ViewerItems::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= int(std::size(kColumns)))
        return {};
    return QString::fromLatin1(kColumns[section]);
}

} // namespace glyphor
