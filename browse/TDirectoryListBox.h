#pragma once
// The folder tree list: the folders above the current one, the current one and
// its subfolders, each with its bitmap and indented by its depth. A single
// click or the arrow keys only move the highlight; a double click or Enter
// opens the highlighted folder. It wraps a DirectoryListModel and passes the
// model's event on.

#include "browse/DirectoryListModel.h"

#include <QListView>

namespace glyphor {

class ListAdapter;

class TDirectoryListBox : public QListView {
    Q_OBJECT
public:
    // Shows model, which the caller keeps alive for as long as the widget;
    // without one, a list of its own.
    explicit TDirectoryListBox(QWidget* parent = nullptr, DirectoryListModel* model = nullptr);

    DirectoryListModel* directoryModel() const { return m_model; }

    QString directory() const { return m_model->directory(); }
    // Raises EInOutError when the folder cannot be entered.
    void setDirectory(const QString& path) { m_model->setDirectory(path); }
    QString drive() const { return m_model->drive(); }
    void setDrive(const QString& root) { m_model->setDrive(root); }
    void rebuild() { m_model->rebuild(); }
    // Raises EInOutError when the folder cannot be entered.
    void openSelected() { m_model->openSelected(); }

signals:
    void changed(); // OnChange of the model

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void showModel();

    DirectoryListModel* m_model;
    ListAdapter* m_adapter;
    bool m_syncing = false;
};

} // namespace glyphor
