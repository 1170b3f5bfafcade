#pragma once
// The destination icons as the merge compares against them: the destination
// file list's names in its order, each with its signature once read. Every
// destination file is read at most once per merge, when a comparison first
// reaches it, and a copy made by the merge joins the index at its sorted
// place with the signature it was copied with, so nothing is read again.

#include "harvest/FileOps.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace glyphor {

// A collected icon's signature with its hash, worked out once for all the
// comparisons of that icon.
struct Probe {
    explicit Probe(std::optional<Signature> signature);
    std::optional<Signature> signature;
    std::uint64_t hash = 0;
};

class DestinationIndex {
public:
    // folder is the destination file list's folder, names its items in order.
    DestinationIndex(FileOps& ops, QString folder, const QStringList& names);

    int count() const { return int(m_entries.size()); }
    const QString& name(int index) const { return m_entries[std::size_t(index)].name; }

    // Whether entry index holds signature. A file shorter than 500 bytes, or
    // one that cannot be read, equals nothing, another such file included.
    // Reads the file the first time.
    bool equals(int index, const Probe& probe);

    // A file the merge has just put into the folder, placed where the file
    // list sorts it (after names that compare equal). Returns its index.
    int insert(const QString& name, const Probe& probe);
    // The same for a file whose signature is not known yet (a copy made
    // without comparison); it is read when a comparison first reaches it.
    int insert(const QString& name);

    // The list was read again: the entries become names, in their order,
    // and every signature already read is kept by its name, so that no file
    // is read twice.
    void replaceNames(const QStringList& names);

    static std::uint64_t Hash(const Signature& signature);

private:
    struct Entry {
        QString name;
        bool read = false;
        std::uint64_t hash = 0;
        std::unique_ptr<Signature> signature; // null: shorter than 500 bytes
    };
    static void Assign(Entry& entry, const std::optional<Signature>& signature);
    int place(Entry entry);

    FileOps& m_ops;
    QString m_folder;
    std::vector<Entry> m_entries;
};

} // namespace glyphor
