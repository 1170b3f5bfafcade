#pragma once
// The drive list without its widget: one item per mounted volume, each with
// its text and kind, and the volume root currently picked.

#include "platform/Volumes.h"

#include <QObject>
#include <QString>
#include <QVector>

namespace glyphor {

class DriveListModel : public QObject {
    Q_OBJECT
public:
    // The case of the labels and network names in the item texts. Mount points
    // are paths and keep their case.
    enum class TextCase { Lower, Upper };

    struct Item {
        QString text; // "mountpoint [label]", or "mountpoint remote" for a network volume
        platform::VolumeKind kind;
        QString root; // the volume's mount point
        QString spoken; // the item in words, for screen readers (spokenText)
    };

    // Builds the items and picks the volume that holds the process's current
    // directory (no signal: nobody can be connected yet).
    explicit DriveListModel(QObject* parent = nullptr);

    // The root of the volume picked; empty for none.
    QString drive() const { return m_drive; }
    // Picks the volume with that root: nothing happens when it is the one
    // already picked; otherwise the item with that root is selected (the
    // selection stays when there is none) and changed() fires. An empty root
    // clears the selection.
    void setDrive(const QString& root);

    TextCase textCase() const { return m_textCase; }
    // Stores the case and builds the items again.
    void setTextCase(TextCase textCase);

    // Builds the items from platform::MountedVolumes(), keeping the drive,
    // and fires itemsChanged().
    void rebuild();

    const QVector<Item>& items() const { return m_items; }
    int count() const { return int(m_items.size()); }
    int selectedIndex() const { return m_selectedIndex; }
    // The index of the item with that root, or -1.
    int indexOfRoot(const QString& root) const;

    // A pick by the user: selects the item, fires clicked(), sets the drive
    // (changed() when it differs) and then fires changed() once more.
    void pick(int index);

    // The item text of a volume in the given case.
    static QString itemText(const platform::Volume& volume, TextCase textCase);
    // The volume as a screen reader says it: its mount point, its kind and
    // its label in words ("/media/stick, removable drive, label STICK"),
    // where the item text's brackets would be read out as "left bracket".
    static QString spokenText(const platform::Volume& volume);

signals:
    void changed(); // OnChange
    void clicked(); // OnClick
    // The items were built again (a new TextCase, or rebuild()).
    void itemsChanged();

private:
    QString m_drive;
    TextCase m_textCase = TextCase::Lower;
    QVector<Item> m_items;
    int m_selectedIndex = -1;
};

} // namespace glyphor
