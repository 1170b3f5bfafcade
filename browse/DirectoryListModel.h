#pragma once
// The folder tree list without its widget: the current folder, the folders
// above it and its subfolders.

#include <QObject>
#include <QString>
#include <QVector>

namespace glyphor {

class DirectoryListModel : public QObject {
    Q_OBJECT
public:
    enum class EntryKind { Open, Current, Closed };
    struct Entry {
        QString text;
        EntryKind kind;
    };

    // Starts at the process's current directory, built, current entry selected.
    explicit DirectoryListModel(QObject* parent = nullptr);

    QString directory() const { return m_directory; }
    // Changes folder (relative paths against the process's current directory),
    // rebuilds and fires changed(). Nothing happens for an empty path or the
    // folder already shown. Raises EInOutError when the folder cannot be entered.
    void setDirectory(const QString& path);

    // The root of the volume that holds the current folder.
    QString drive() const;
    // Goes to the last folder visited on that volume in this run, else its root.
    void setDrive(const QString& root);

    // Rebuilds the entries from the current folder and fires changed().
    void rebuild();

    const QVector<Entry>& entries() const { return m_entries; }
    int currentIndex() const { return m_currentIndex; }
    int selectedIndex() const { return m_selectedIndex; }
    void setSelectedIndex(int index);
    // The folder that entry index stands for.
    QString entryPath(int index) const;
    // A double click or Enter: moves to the selected entry's folder.
    void openSelected();

signals:
    // The entries were built again (fired just before changed(), so that a
    // view shows them before any handler of the change runs).
    void entriesReplaced();
    void changed(); // OnChange

private:
    QString m_directory;
    QVector<Entry> m_entries;
    int m_currentIndex = -1;
    int m_selectedIndex = -1;
};

} // namespace glyphor
