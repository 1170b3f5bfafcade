#include "harvest/DestinationIndex.h"

#include "harvest/IconFolder.h"
#include "platform/FileSystem.h"
#include "platform/NameOrder.h"
#include "util/Fnv1a.h"

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
    return Fnv1a::Of(bytes);
}

void DestinationIndex::assign(Entry& entry, std::optional<IconFileBytes> bytes)
{
    forget(entry);
    entry.read = true;
    if (bytes) {
        entry.hash = Hash(*bytes);
        entry.bytes = std::make_unique<IconFileBytes>(std::move(*bytes));
        m_byHash.emplace(entry.hash, entry.name);
    }
}

void DestinationIndex::forget(Entry& entry)
{
    if (entry.bytes) {
        const auto [first, last] = m_byHash.equal_range(entry.hash);
        for (auto it = first; it != last; ++it) {
            if (it->second == entry.name) {
                m_byHash.erase(it);
                break;
            }
        }
    }
    entry.read = false;
    entry.bytes.reset();
    entry.hash = 0;
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
    m_byHash.clear();
    m_taken.clear();
    m_allRead = true;
    m_listed = true;
    for (const QString& n : names) {
        Entry entry { n, false, 0, nullptr };
        if (Entry* old = known.value(n)) {
            entry.read = true;
            entry.hash = old->hash;
            entry.bytes = std::move(old->bytes);
            if (entry.bytes)
                m_byHash.emplace(entry.hash, n);
        } else {
            m_allRead = false;
        }
        m_taken.add(n);
        entries.push_back(std::move(entry));
    }
    m_entries = std::move(entries);
}

void DestinationIndex::readIfChanged()
{
    if (m_watch.changedByOthers() || !m_listed)
        read();
}

bool DestinationIndex::equals(int index, const Probe& probe)
{
    Entry& entry = m_entries[std::size_t(index)];
    if (!entry.read)
        assign(entry, m_ops.comparableBytes(m_folder, entry.name));
    if (!probe.bytes || !entry.bytes)
        return false;
    return entry.hash == probe.hash && *entry.bytes == *probe.bytes;
}

int DestinationIndex::nextEqual(int from, const Probe& probe)
{
    if (!m_allRead) {
        for (Entry& entry : m_entries) {
            if (!entry.read)
                assign(entry, m_ops.comparableBytes(m_folder, entry.name));
        }
        m_allRead = true;
    }
    int first = count();
    if (!probe.bytes)
        return first;
    const auto [begin, end] = m_byHash.equal_range(probe.hash);
    for (auto it = begin; it != end; ++it) {
        const int at = placeOf(it->second);
        if (at >= from && at < first && equals(at, probe))
            first = at;
    }
    return first;
}

int DestinationIndex::placeOf(const QString& name) const
{
    auto at = std::lower_bound(m_entries.begin(), m_entries.end(), name,
        [](const Entry& e, const QString& n) { return CompareNames(e.name, n) < 0; });
    for (; at != m_entries.end() && CompareNames(at->name, name) == 0; ++at) {
        if (at->name == name)
            return int(at - m_entries.begin());
    }
    return count();
}

bool DestinationIndex::confirm(int index, const Probe& probe)
{
    Entry& entry = m_entries[std::size_t(index)];
    if (probe.bytes && m_ops.holds(m_folder, entry.name, *probe.bytes))
        return true;
    // Read again when a comparison next reaches it.
    forget(entry);
    m_allRead = false;
    return false;
}

QString DestinationIndex::nextFreeName()
{
    QString name = NextIconFileNameIn(m_folder, IconNameRoom::Unbounded, &m_taken);
    m_taken.add(name);
    m_watch.expect(name);
    return name;
}

std::vector<DestinationIndex::Entry>::iterator DestinationIndex::insert(const QString& name)
{
    if (name.startsWith(QLatin1Char('.')) || !platform::MatchesPattern(name, platform::kIconMask))
        return m_entries.end();
    m_taken.add(name);
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
                assign(e, probe.bytes);
        }
        return;
    }
    for (const QString& n : std::exchange(m_uncompared, QStringList())) {
        if (insert(n) != m_entries.end())
            m_allRead = false;
    }
    const auto at = insert(name);
    if (at != m_entries.end())
        assign(*at, probe.bytes);
}

void DestinationIndex::addUncompared(const QString& name)
{
    m_uncompared << name;
}

} // namespace glyphor
