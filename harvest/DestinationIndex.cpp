#include "harvest/DestinationIndex.h"

#include "browse/NameOrder.h"
#include "platform/FileSystem.h"

#include <QHash>

#include <algorithm>
#include <cstring>

namespace glyphor {

Probe::Probe(std::optional<Signature> bytes) : signature(std::move(bytes))
{
    if (signature)
        hash = DestinationIndex::Hash(*signature);
}

DestinationIndex::DestinationIndex(FileOps& ops, QString folder, const QStringList& names)
    : m_ops(ops), m_folder(std::move(folder))
{
    m_entries.reserve(std::size_t(names.size()) + 64);
    for (const QString& n : names)
        m_entries.push_back(Entry{n, false, 0, nullptr});
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
        Assign(entry, m_ops.comparableSignature(platform::joinPath(m_folder, entry.name)));
    if (!probe.signature || !entry.signature)
        return false;
    return entry.hash == probe.hash && *entry.signature == *probe.signature;
}

int DestinationIndex::insert(const QString& name, const Probe& probe)
{
    Entry entry{name, false, 0, nullptr};
    Assign(entry, probe.signature);
    return place(std::move(entry));
}

int DestinationIndex::insert(const QString& name)
{
    return place(Entry{name, false, 0, nullptr});
}

int DestinationIndex::place(Entry entry)
{
    const auto at = std::upper_bound(m_entries.begin(), m_entries.end(), entry.name,
                                     [](const QString& n, const Entry& e) { return compareNames(n, e.name) < 0; });
    const auto placed = m_entries.insert(at, std::move(entry));
    return int(placed - m_entries.begin());
}

void DestinationIndex::replaceNames(const QStringList& names)
{
    QHash<QString, const Entry*> known;
    for (const Entry& e : m_entries) {
        if (e.read)
            known.insert(e.name, &e);
    }
    std::vector<Entry> entries;
    entries.reserve(std::size_t(names.size()) + 64);
    for (const QString& n : names) {
        Entry entry{n, false, 0, nullptr};
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
