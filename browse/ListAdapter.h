#pragma once

// Shows the lines of one of the browse models to a QListView. The models keep
// their own lists; the view asks through the two functions given here, and
// reset() tells it to ask again after the model rebuilt its list, while
// beginInsert() and endInsert() around an insertion tell it of the new rows
// alone, so that it keeps its scroll position and lays out nothing else.

#include <QAbstractListModel>

#include <functional>

namespace glyphor {

class ListAdapter : public QAbstractListModel {
public:
    ListAdapter(std::function<int()> count, std::function<QString(int)> text, QObject* parent)
        : QAbstractListModel(parent)
        , m_count(std::move(count))
        , m_text(std::move(text))
    {
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : m_count();
    }

    // What a screen reader adds to a line's text, where the list shows more
    // than the text (a folder's place in the tree, say).
    void setDescriptions(std::function<QString(int)> describe) { m_describe = std::move(describe); }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (index.row() < 0 || index.row() >= rowCount())
            return {};
        if (role == Qt::DisplayRole)
            return m_text(index.row());
        if (role == Qt::AccessibleDescriptionRole && m_describe)
            return m_describe(index.row());
        return {};
    }

    void reset()
    {
        beginResetModel();
        endResetModel();
    }

    void beginInsert(int row, int count) { beginInsertRows({}, row, row + count - 1); }
    void endInsert() { endInsertRows(); }

private:
    std::function<int()> m_count;
    std::function<QString(int)> m_text;
    std::function<QString(int)> m_describe;
};

} // namespace glyphor
