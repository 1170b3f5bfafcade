#pragma once
// The destination icons as the merge compares against them: the folder's
// icon files in the file list's order, each with its bytes once read, and
// found by their bytes' hash, so that a merge into tens of thousands of
// icons costs a look-up per collected icon, not a pass over them all.
// The merge reads the folder when it begins and keeps the list itself from
// then on: a copy it makes joins the list with the signature it was copied
// with, and the folder is read again only where someone else changed it (a
// Save Icon meanwhile, another program), keeping every file already read by
// its name. So no destination file is read twice, and a large merge does
// not list and sort the folder after each of its copies.

#include "harvest/FileOps.h"
#include "harvest/NextIconFileName.h"
#include "platform/FolderWatch.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace glyphor {

// A collected icon's bytes with their hash, worked out once for all the
// comparisons of that icon.
struct Probe {
    explicit Probe(std::optional<IconFileBytes> bytes);
    std::optional<IconFileBytes> bytes;
    std::uint64_t hash = 0;
};

class DestinationIndex {
public:
    // Watches folder from now on; read() lists it. folder outlives the index.
    DestinationIndex(FileOps& ops, const files::Folder& folder);

    // Lists the folder again, always.
    void read();
    // Lists it again when something other than this index's own copies
    // added, removed or renamed a file since the last look, or when it was
    // never listed.
    void readIfChanged();

    int count() const { return int(m_entries.size()); }
    const QString& name(int index) const { return m_entries[std::size_t(index)].name; }

    // Whether entry index holds the probe's bytes, as far as the index knows.
    // A file that cannot be read, or one too large to compare, equals
    // nothing, another such file included. Reads the file the first time.
    bool equals(int index, const Probe& probe);
    // The first entry from index from on that equals the probe: count()
    // when there is none. The first time, every entry not read yet is read.
    int nextEqual(int from, const Probe& probe);
    // Whether entry index, found equal, still holds the probe's bytes on
    // disk. When it no longer does (another program removed or replaced it),
    // the entry is read again when a comparison next reaches it.
    bool confirm(int index, const Probe& probe);

    // The next free name for a copy into the folder, by the folder's rules
    // and IconCounter, found without asking the system about every name the
    // listing shows taken. Its arrival is expected: no change by someone
    // else. Raises ENoFreeIconName.
    QString nextFreeName();
    // A name the merge is about to give a copy in the folder: its arrival is
    // no change by someone else.
    void expect(const QString& name) { m_watch.expect(name); }
    // A copy that the merge has just put into the folder after comparing it.
    // It joins the list where a read of the folder would show it, together
    // with the copies made without comparison since, and keeps the bytes it
    // was copied with.
    void addCompared(const QString& name, const Probe& probe);
    // A copy made without comparison (after the compare stop question was
    // answered No). It joins the list with the next compared copy or read, as
    // the folder is not read after such copies; its bytes are read when a
    // comparison first reaches it.
    void addUncompared(const QString& name);

    static std::uint64_t Hash(std::span<const std::uint8_t> bytes);

private:
    struct Entry {
        QString name;
        bool read = false;
        std::uint64_t hash = 0;
        std::unique_ptr<IconFileBytes> bytes; // null: unreadable or too large
    };
    void assign(Entry& entry, std::optional<IconFileBytes> bytes);
    void forget(Entry& entry);
    // Puts name where a read would list it (after the names equal to it) and
    // returns its place; unlisted names (hidden, not "*.ico") go nowhere.
    std::vector<Entry>::iterator insert(const QString& name);
    // The place of the entry of that name; count() when there is none.
    int placeOf(const QString& name) const;

    FileOps& m_ops;
    const files::Folder& m_folder;
    platform::FolderWatch m_watch;
    std::vector<Entry> m_entries;
    QStringList m_uncompared; // copies the list does not show yet
    // The names of the entries read, by their hash.
    std::unordered_multimap<std::uint64_t, QString> m_byHash;
    bool m_allRead = false; // every entry listed has been read once
    bool m_listed = false;
    TakenIconNames m_taken; // the names the folder is known to hold
};

} // namespace glyphor
