#pragma once
// The viewer's items and its image list in one model: item k stands for a
// file, is captioned with its name and shows image k once the load has
// appended it. The caption is the user's to edit in place; the file name
// stays with the item as it was filled, so that the picture still comes from
// the file. The list view asks for what it paints, so filling 10,000 names is
// one reset and appending a picture lays nothing out again.

#include <QAbstractListModel>
#include <QPixmap>
#include <QStringList>
#include <QVector>

namespace glyphor {

class ViewerItems : public QAbstractListModel {
    Q_OBJECT
public:
    // The data role that gives an item's file name.
    static constexpr int FileNameRole = Qt::UserRole;

    explicit ViewerItems(QObject* parent = nullptr);

    // The items: one per name, in this order, captioned with the name. The
    // images stay as they are.
    void fill(const QStringList& names);
    // No items and no images.
    void clear();
    int count() const { return int(m_captions.size()); }
    // The caption as held, names that are not valid UTF-8 included.
    QString caption(int row) const { return m_captions.value(row); }
    // The name of the item's file, whatever its caption has become.
    QString fileName(int row) const { return m_names.value(row); }

    // The image list: image k belongs to item k.
    int imageCount() const { return int(m_images.size()); }
    QPixmap image(int index) const { return m_images.value(index); }
    // Appends an image without telling the view; publishImages() does that
    // for all images appended since, in one signal.
    void appendImage(const QPixmap& image);
    void publishImages();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // An edit in place changes the caption only, never the file.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The columns of the list's report view; the large-icon view shows none.
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList m_names;
    QStringList m_captions;
    QVector<QPixmap> m_images;
    int m_published = 0;
    QPixmap m_blank; // keeps a caption in its place while its picture is missing
};

} // namespace glyphor
