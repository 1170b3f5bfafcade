#include "harvest/DestinationIndex.h"

#include "browse/FileListModel.h"
#include "platform/FileSystem.h"
#include "platform/NameOrder.h"

#include <QHash>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

namespace glyphor {

Probe::Probe(std::optional<Signature> bytes)
    : signature(std::move(bytes))
{
    if (signature)
        hash = DestinationIndex::Hash(*signature);
}

DestinationIndex::DestinationIndex(FileOps& ops, FileListModel& list)
    : m_ops(ops)
    , m_list(list)
    , m_folder(list.directory())
{
    const QStringList& names = list.items();
    m_entries.reserve(std::size_t(names.size()) + 64);
    for (const QString& n : names)
        m_entries.push_back(Entry { n, false, 0, nullptr });
    m_replaced = QObject::connect(&list, &FileListModel::itemsReplaced, [this] { takeNames(); });
    m_inserted = QObject::connect(&list, &FileListModel::itemsInserted,
        [this](int index, int count) { takeRows(index, count); });
}

DestinationIndex::~DestinationIndex()
{
    QObject::disconnect(m_replaced);
    QObject::disconnect(m_inserted);
}

std::uint64_t DestinationIndex::Hash(const Signature& signature)
{
    // FNV-1a over the bytes that differ between the program's icon files: a
    // cheap first test, so that most unequal pairs never reach memcmp.
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint8_t b : signature) {
        h ^= b;
        h *= 1099511628211ull;
    }
    return h;
}

void DestinationIndex::Assign(Entry& entry, const std::optional<Signature>& signature)
{
    entry.read = true;
    if (signature) {
        entry.signature = std::make_unique<Signature>(*signature);
        entry.hash = Hash(*signature);
    }
}

bool DestinationIndex::equals(int index, const Probe& probe)
{
    Entry& entry = m_entries[std::size_t(index)];
    if (!entry.read)
        Assign(entry, m_ops.comparableSignature(platform::JoinPath(m_folder, entry.name)));
    if (!probe.signature || !entry.signature)
        return false;
    return entry.hash == probe.hash && *entry.signature == *probe.signature;
}

void DestinationIndex::addCompared(const QString& name, const Probe& probe)
{
    // Each addFile tells of its rows through takeRows, which indexes them
    // unread; the compared copy's own rows then take the signature it was
    // copied with.
    const QStringList uncompared = std::exchange(m_uncompared, QStringList());
    for (const QString& n : uncompared)
        m_list.addFile(n);
    m_list.addFile(name);
    const auto sameName
        = [](const Entry& e, const QString& n) { return CompareNames(e.name, n) < 0; };
    for (auto e = std::lower_bound(m_entries.begin(), m_entries.end(), name, sameName);
         e != m_entries.end() && CompareNames(e->name, name) == 0; ++e) {
        if (e->name == name && !e->read)
            Assign(*e, probe.signature);
    }
}

void DestinationIndex::addUncompared(const QString& name)
{
    m_uncompared << name;
}

void DestinationIndex::takeRows(int index, int count)
{
    const auto at
        = m_entries.begin() + std::min(std::ptrdiff_t(index), std::ptrdiff_t(m_entries.size()));
    std::vector<Entry> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back(Entry { m_list.item(index + i), false, 0, nullptr });
    m_entries.insert(
        at, std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
}

void DestinationIndex::takeNames()
{
    // The read shows whatever the copies made without comparison put there.
    m_uncompared.clear();
    const QStringList& names = m_list.items();
    QHash<QString, const Entry*> known;
    for (const Entry& e : m_entries) {
        if (e.read)
            known.insert(e.name, &e);
    }
    std::vector<Entry> entries;
    entries.reserve(std::size_t(names.size()) + 64);
    for (const QString& n : names) {
        Entry entry { n, false, 0, nullptr };
        if (const Entry* old = known.value(n)) {
            entry.read = true;
            entry.hash = old->hash;
            if (old->signature)
                entry.signature = std::make_unique<Signature>(*old->signature);
        }
        entries.push_back(std::move(entry));
    }
    m_entries = std::move(entries);
}

} // namespace glyphor
