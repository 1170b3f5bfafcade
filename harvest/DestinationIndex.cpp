#include "harvest/DestinationIndex.h"

#include "harvest/IconFolder.h"
#include "platform/FileSystem.h"
#include "platform/NameOrder.h"

#include <QHash>

#include <algorithm>
#include <utility>

namespace glyphor {

Probe::Probe(std::optional<IconFileBytes> content)
    : bytes(std::move(content))
{
    if (bytes)
        hash = DestinationIndex::Hash(*bytes);
}

DestinationIndex::DestinationIndex(FileOps& ops, const files::Folder& folder)
    : m_ops(ops)
    , m_folder(folder)
    , m_watch(folder)
{
}

std::uint64_t DestinationIndex::Hash(std::span<const std::uint8_t> bytes)
{
    // FNV-1a over the whole file: a cheap first test, so that most unequal
    // pairs never reach a byte-by-byte comparison.
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint8_t b : bytes) {
        h ^= b;
        h *= 1099511628211ull;
    }
    return h;
}

void DestinationIndex::Assign(Entry& entry, std::optional<IconFileBytes> bytes)
{
    entry.read = true;
    entry.bytes.reset();
    entry.hash = 0;
    if (bytes) {
        entry.hash = Hash(*bytes);
        entry.bytes = std::make_unique<IconFileBytes>(std::move(*bytes));
    }
}

void DestinationIndex::read()
{
    // Whatever happened before this listing is in it.
    m_watch.changedByOthers();
    // The read shows whatever the copies made without comparison put there.
    m_uncompared.clear();
    const QStringList names = ListIconFiles(m_ops, m_folder);
    // What was read of a file still listed is kept, its bytes moved over.
    QHash<QString, Entry*> known;
    for (Entry& e : m_entries) {
        if (e.read)
            known.insert(e.name, &e);
    }
    std::vector<Entry> entries;
    entries.reserve(std::size_t(names.size()) + 64);
    for (const QString& n : names) {
        Entry entry { n, false, 0, nullptr };
        if (Entry* old = known.value(n)) {
            entry.read = true;
            entry.hash = old->hash;
            entry.bytes = std::move(old->bytes);
        }
        entries.push_back(std::move(entry));
    }
    m_entries = std::move(entries);
}

void DestinationIndex::readIfChanged()
{
    if (m_watch.changedByOthers())
        read();
}

bool DestinationIndex::equals(int index, const Probe& probe)
{
    Entry& entry = m_entries[std::size_t(index)];
    if (!entry.read)
        Assign(entry, m_ops.comparableBytes(m_folder, entry.name));
    if (!probe.bytes || !entry.bytes)
        return false;
    return entry.hash == probe.hash && *entry.bytes == *probe.bytes;
}

bool DestinationIndex::confirm(int index, const Probe& probe)
{
    Entry& entry = m_entries[std::size_t(index)];
    if (probe.bytes && m_ops.holds(m_folder, entry.name, *probe.bytes))
        return true;
    entry.read = false;
    return false;
}

std::vector<DestinationIndex::Entry>::iterator DestinationIndex::insert(const QString& name)
{
    if (name.startsWith(QLatin1Char('.')) || !platform::MatchesPattern(name, platform::kIconMask))
        return m_entries.end();
    const auto at = std::upper_bound(m_entries.begin(), m_entries.end(), name,
        [](const QString& n, const Entry& e) { return CompareNames(n, e.name) < 0; });
    return m_entries.insert(at, Entry { name, false, 0, nullptr });
}

void DestinationIndex::addCompared(const QString& name, const Probe& probe)
{
    // What someone else did meanwhile takes a read of the folder, which shows
    // this copy and the uncompared ones too; the copy keeps its signature.
    if (m_watch.changedByOthers()) {
        read();
        for (Entry& e : m_entries) {
            if (e.name == name && !e.read)
                Assign(e, probe.bytes);
        }
        return;
    }
    for (const QString& n : std::exchange(m_uncompared, QStringList()))
        insert(n);
    const auto at = insert(name);
    if (at != m_entries.end())
        Assign(*at, probe.bytes);
}

void DestinationIndex::addUncompared(const QString& name)
{
    m_uncompared << name;
}

} // namespace glyphor
