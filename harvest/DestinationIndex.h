#pragma once
// The destination icons as the merge compares against them: the destination
// file list's names in its order, each with its signature once read. Every
// destination file is read at most once per merge, when a comparison first
// reaches it, and a copy made by the merge joins the list and the index with
// the signature it was copied with, so nothing is read again.

#include "harvest/FileOps.h"

#include <QMetaObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace glyphor {

class FileListModel;

// A collected icon's signature with its hash, worked out once for all the
// comparisons of that icon.
struct Probe {
    explicit Probe(std::optional<Signature> signature);
    std::optional<Signature> signature;
    std::uint64_t hash = 0;
};

class DestinationIndex {
public:
    // Indexes the destination file list as it stands and follows it from
    // here on, for as long as the index lives: rows the list adds join the
    // index at their places, and when the list is read again the index takes
    // its new names, keeping every signature already read by its name, so
    // that no file is read twice.
    DestinationIndex(FileOps& ops, FileListModel& list);
    ~DestinationIndex();
    DestinationIndex(const DestinationIndex&) = delete;
    DestinationIndex& operator=(const DestinationIndex&) = delete;

    int count() const { return int(m_entries.size()); }
    const QString& name(int index) const { return m_entries[std::size_t(index)].name; }

    // Whether entry index holds signature. A file shorter than 500 bytes, or
    // one that cannot be read, equals nothing, another such file included.
    // Reads the file the first time.
    bool equals(int index, const Probe& probe);

    // A copy that the merge has just put into the folder after comparing it.
    // It joins the list where a read of the folder would show it, together
    // with the copies made without comparison that the list does not show
    // yet, at the cost of a few insertions instead of a listing and sort of
    // the whole folder; the index keeps the signature it was copied with.
    void addCompared(const QString& name, const Probe& probe);
    // A copy made without comparison (after the compare stop question was
    // answered No). The list is not read after those: such a copy joins it
    // with the next compared copy, or at the next read of the list. Its
    // signature is read when a comparison first reaches it.
    void addUncompared(const QString& name);

    static std::uint64_t Hash(const Signature& signature);

private:
    struct Entry {
        QString name;
        bool read = false;
        std::uint64_t hash = 0;
        std::unique_ptr<Signature> signature; // null: shorter than 500 bytes
    };
    static void Assign(Entry& entry, const std::optional<Signature>& signature);
    // The list was read again.
    void takeNames();
    // The list put count rows at index.
    void takeRows(int index, int count);

    FileOps& m_ops;
    FileListModel& m_list;
    QString m_folder;
    std::vector<Entry> m_entries;
    QStringList m_uncompared; // copies the list does not show yet
    QMetaObject::Connection m_replaced;
    QMetaObject::Connection m_inserted;
};

} // namespace glyphor
