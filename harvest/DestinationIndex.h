#pragma once
// The destination icons as the merge compares against them: the folder's
// icon files in the file list's order, each with its signature once read.
// The merge reads the folder when it begins and keeps the list itself from
// then on: a copy it makes joins the list with the signature it was copied
// with, and the folder is read again only where someone else changed it (a
// Save Icon meanwhile, another program), keeping every signature already read
// by its name. So no destination file is read twice, and a large merge does
// not list and sort the folder after each of its copies.

#include "harvest/FileOps.h"
#include "platform/FolderWatch.h"

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
    // Watches folder from now on; read() lists it.
    DestinationIndex(FileOps& ops, const QString& folder);

    // Lists the folder again, always.
    void read();
    // Lists it again when something other than this index's own copies
    // added, removed or renamed a file since the last look.
    void readIfChanged();

    int count() const { return int(m_entries.size()); }
    const QString& name(int index) const { return m_entries[std::size_t(index)].name; }

    // Whether entry index holds signature. A file shorter than 500 bytes, or
    // one that cannot be read, equals nothing, another such file included.
    // Reads the file the first time.
    bool equals(int index, const Probe& probe);

    // A name the merge is about to give a copy in the folder: its arrival is
    // no change by someone else.
    void expect(const QString& name) { m_watch.expect(name); }
    // A copy that the merge has just put into the folder after comparing it.
    // It joins the list where a read of the folder would show it, together
    // with the copies made without comparison since, and keeps the signature
    // it was copied with.
    void addCompared(const QString& name, const Probe& probe);
    // A copy made without comparison (after the compare stop question was
    // answered No). It joins the list with the next compared copy or read, as
    // the folder is not read after such copies; its signature is read when a
    // comparison first reaches it.
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
    // Puts name where a read would list it (after the names equal to it) and
    // returns its place; unlisted names (hidden, not "*.ico") go nowhere.
    std::vector<Entry>::iterator insert(const QString& name);

    FileOps& m_ops;
    QString m_folder;
    platform::FolderWatch m_watch;
    std::vector<Entry> m_entries;
    QStringList m_uncompared; // copies the list does not show yet
};

} // namespace glyphor
