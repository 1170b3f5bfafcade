#pragma once
// The file list: the names of one folder that match a mask, drawn by the
// program (with an optional glyph per name). It wraps a FileListModel, passes
// its events on, and shows the hourglass while a long read runs.

#include "browse/FileListModel.h"

#include <QListView>

namespace glyphor {

class ListAdapter;

class TFileListBox : public QListView {
    Q_OBJECT
public:
    // Shows model, which the caller keeps alive for as long as the widget;
    // without one, a list of its own.
    explicit TFileListBox(QWidget* parent = nullptr, FileListModel* model = nullptr);
    ~TFileListBox() override;

    FileListModel* fileModel() const { return m_model; }

    QString directory() const { return m_model->directory(); }
    // Raises EInOutError when the folder cannot be entered.
    void setDirectory(const QString& path) { m_model->setDirectory(path); }
    QString mask() const { return m_model->mask(); }
    void setMask(const QString& mask) { m_model->setMask(mask); }
    void reread() { m_model->reread(); }
    QString fileName() const { return m_model->fileName(); }
    int count() const { return m_model->count(); }
    QString item(int index) const { return m_model->item(index); }
    int itemIndex() const { return m_model->itemIndex(); }

    bool showGlyphs() const { return m_showGlyphs; }
    void setShowGlyphs(bool show);

signals:
    void changed(); // OnChange of the model
    void itemClicked(); // OnClick of the model

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void showItems();
    void showSelection();
    void beginWait();
    void endWait();

    FileListModel* m_model;
    ListAdapter* m_adapter;
    bool m_showGlyphs = false;
    bool m_syncing = false;
    bool m_mousePress = false;
    int m_waitDepth = 0;
};

} // namespace glyphor
