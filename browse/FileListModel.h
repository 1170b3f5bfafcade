#pragma once
// The file list without its widget: the names of one folder that match a mask,
// kept sorted without regard to case, as the harvest engine and the main window
// use them. All paths are POSIX; "/" is the only folder path that ends with "/".

#include <QObject>
#include <QString>
#include <QStringList>

namespace glyphor {

class FileListModel : public QObject {
    Q_OBJECT
public:
    // Starts at the process's current directory with the mask "*.*" and reads it.
    explicit FileListModel(QObject* parent = nullptr);

    QString directory() const { return m_directory; }
    // Changes folder and reads it, unless the resolved folder is the one shown.
    // Relative paths (".." included) resolve against the process's current
    // directory. Raises EInOutError with the system's text when the folder
    // cannot be entered; the list then keeps its folder and items.
    void setDirectory(const QString& path);

    QString mask() const { return m_mask; }
    // Patterns separated by ";". Stores and reads again only if the text differs.
    void setMask(const QString& mask);

    // Reads the folder again, always. Leaves the process's current directory at
    // the folder. Raises EInOutError (items unchanged) when it cannot be entered.
    void reread();

    // What setDirectory(path), setMask(mask) and reread() give in a row, with
    // one read of the folder instead of up to three: a folder of thousands of
    // names is listed and sorted once. Raises as setDirectory does, leaving
    // folder, mask and items as they were.
    void showFolder(const QString& path, const QString& mask);

    // A file that the caller has just created in the folder, put where a read
    // would list it (once per pattern of the mask that it matches; not at all
    // when it is hidden by its name) without listing and sorting the whole
    // folder again. Clears the selection and fires changed() as a read does,
    // but tells of the new rows by itemsAboutToBeInserted and itemsInserted
    // rather than itemsReplaced. The merge uses this after each copy, so that
    // thousands of destination files are not listed, sorted and shown anew
    // once per copy.
    void addFile(const QString& name);

    int count() const { return int(m_items.size()); }
    QString item(int index) const { return m_items.value(index); }
    const QStringList& items() const { return m_items; }
    // The folder and the item joined by one "/"; empty for an index out of range.
    QString fullPath(int index) const;

    int itemIndex() const { return m_itemIndex; }
    // A selection by the user (mouse or keyboard): fires clicked(), then
    // changed() if the index differs from the one last reported.
    void select(int index);
    // The folder and the selected item joined by one "/"; empty with no selection.
    QString fileName() const { return fullPath(m_itemIndex); }

signals:
    void clicked(); // OnClick
    void changed(); // OnChange: after a selection that moved, and after every read
    // A read has reached item position 100 (the widget shows the hourglass),
    // and the read that showed it has ended.
    void longReadStarted();
    void longReadEnded();
    // A read replaced the items (fired just before its changed()).
    void itemsReplaced();
    // addFile is about to put count equal names at index, and has put them.
    void itemsAboutToBeInserted(int index, int count);
    void itemsInserted(int index, int count);

private:
    // Enters folder and reads it; on success the folder becomes Directory and
    // the items are replaced, on failure both stay and EInOutError is raised.
    void readFolder(const QString& folder);
    // A file name or pattern that was left over when a path was resolved.
    void applyLeftover(const QString& rest);

    QString m_directory;
    QString m_mask = QStringLiteral("*.*");
    QStringList m_items;
    int m_itemIndex = -1;
    int m_reportedIndex = -1;
};

} // namespace glyphor
