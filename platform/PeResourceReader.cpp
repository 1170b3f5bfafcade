#include "platform/PeResourceReader.h"

#include "util/ByteReader.h"

#include <algorithm>

namespace glyphor::platform {

namespace {

constexpr std::uint16_t kRtIcon = 3;
constexpr std::uint16_t kRtGroupIcon = 14;
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kHighBit = 0x80000000u;

struct DirectoryEntry {
    std::uint32_t name;   // high bit: offset of a name string; else the id
    std::uint32_t target; // high bit: offset of a subdirectory; else of a data entry
    bool named() const { return (name & kHighBit) != 0; }
    bool subdirectory() const { return (target & kHighBit) != 0; }
    std::uint32_t offset() const { return target & ~kHighBit; }
    std::uint16_t id() const { return static_cast<std::uint16_t>(name); }
};

// The entries of the directory at offset in the resource section: named ones
// first, then ids, as stored. Entries past the end of the section are left
// out (a truncated file keeps what it still has).
std::vector<DirectoryEntry> ReadDirectory(const SourceReader& rsrc, std::uint32_t offset,
                                          std::size_t cap)
{
    std::vector<DirectoryEntry> entries;
    auto named = rsrc.u16(std::uint64_t { offset } + 12);
    auto ids = rsrc.u16(std::uint64_t { offset } + 14);
    if (!named || !ids)
        return entries;
    const std::size_t total = std::min<std::size_t>(std::size_t { *named } + *ids, cap);
    const std::uint64_t first = std::uint64_t { offset } + 16;
    const std::uint64_t room = rsrc.size() > first ? (rsrc.size() - first) / 8 : 0;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(total, room));
    // The whole table in one read: directories are read entry by entry, and
    // a large one would otherwise cost a read per entry.
    const auto table = rsrc.bytes(first, std::uint64_t { n } * 8);
    if (!table)
        return entries;
    const ByteReader r(*table);
    entries.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        entries.push_back({ *r.u32(i * 8), *r.u32(i * 8 + 4) });
    return entries;
}

} // namespace

std::optional<PeResourceReader> PeResourceReader::open(const ByteSource& file)
{
    const SourceReader r(file);
    if (r.u16(0) != 0x5A4D) // "MZ"
        return std::nullopt;
    auto lfanew = r.u32(0x3C);
    if (!lfanew || r.u32(*lfanew) != 0x00004550u) // "PE\0\0"
        return std::nullopt;

    PeResourceReader reader(file);
    const std::uint64_t coff = std::uint64_t { *lfanew } + 4;
    auto sectionCount = r.u16(coff + 2);
    auto optionalSize = r.u16(coff + 16);
    const std::uint64_t opt = coff + 20;
    auto magic = r.u16(opt);
    if (!sectionCount || !optionalSize || !magic)
        return reader; // a PE file whose headers are cut off: no icons

    std::uint64_t directories = 0;
    std::uint64_t rvaCountAt = 0;
    if (*magic == kMagicPe32) {
        rvaCountAt = 92;
        directories = 96;
    } else if (*magic == kMagicPe32Plus) {
        rvaCountAt = 108;
        directories = 112;
    } else {
        return reader;
    }
    auto rvaCount = r.u32(opt + rvaCountAt);
    const std::uint64_t resourceDirAt = directories + kResourceDirectoryIndex * 8;
    if (!rvaCount || *rvaCount <= kResourceDirectoryIndex || resourceDirAt + 8 > *optionalSize)
        return reader;
    auto rsrcRva = r.u32(opt + resourceDirAt);
    if (!rsrcRva || *rsrcRva == 0)
        return reader;

    const std::uint64_t table = opt + *optionalSize;
    const std::size_t n = std::min<std::size_t>(*sectionCount, kMaxSections);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t at = table + i * 40;
        if (!r.contains(at, 40))
            break;
        reader.m_sections.push_back({ *r.u32(at + 12), *r.u32(at + 8), *r.u32(at + 16),
                                      *r.u32(at + 20) });
    }

    // The directory's size field is not trusted; the tree may use the rest of
    // its section, and every offset in it is checked against that.
    auto rsrc = reader.mapRva(*rsrcRva, UINT64_MAX);
    if (!rsrc || rsrc->empty())
        return reader;
    reader.m_rsrc = *r.window(rsrc->offset, rsrc->length);

    reader.m_visited.insert(0);
    bool groupsDone = false;
    bool iconsDone = false;
    for (const DirectoryEntry& e : ReadDirectory(reader.m_rsrc, 0, kMaxDirectoryEntries)) {
        if (e.named() || !e.subdirectory())
            continue;
        // A type listed twice is damage; the first one stands.
        if (e.id() == kRtGroupIcon && !groupsDone) {
            groupsDone = true;
            reader.readGroups(e.offset());
        } else if (e.id() == kRtIcon && !iconsDone) {
            iconsDone = true;
            reader.readIconNames(e.offset());
        }
    }
    return reader;
}

std::optional<ImageRange> PeResourceReader::mapRva(std::uint32_t rva, std::uint64_t size) const
{
    for (const Section& s : m_sections) {
        if (rva < s.virtualAddress)
            continue;
        const std::uint32_t delta = rva - s.virtualAddress;
        if (delta >= std::max(s.virtualSize, s.rawSize))
            continue;
        // Inside the section but past its raw data: memory the loader zero-fills,
        // not bytes of the file.
        if (delta >= s.rawSize)
            return std::nullopt;
        const std::uint64_t offset = std::uint64_t { s.rawOffset } + delta;
        if (offset >= m_file.size())
            return std::nullopt;
        std::uint64_t n = std::min<std::uint64_t>(size, s.rawSize - delta);
        n = std::min<std::uint64_t>(n, m_file.size() - offset);
        return ImageRange { offset, n };
    }
    return std::nullopt;
}

// The bytes that a data entry (16 bytes: RVA, size, code page, reserved)
// describes; empty when the entry or its data lies outside the file. Data that
// runs past the end of its section or file is cut there; the image decoder
// refuses an image that is then too short.
ImageRange PeResourceReader::dataEntry(std::uint32_t offset) const
{
    auto rva = m_rsrc.u32(offset);
    auto size = m_rsrc.u32(std::uint64_t { offset } + 4);
    if (!rva || !size || *size == 0)
        return {};
    const ImageRange data = mapRva(*rva, *size).value_or(ImageRange {});
    return ClampImage(data.offset, data.length, m_file.size());
}

void PeResourceReader::readGroups(std::uint32_t nameDirectory)
{
    if (!m_visited.insert(nameDirectory).second)
        return;
    const SourceReader& tree = m_rsrc;
    std::unordered_set<std::uint32_t> seen; // a name or id listed twice counts once
    for (const DirectoryEntry& name : ReadDirectory(tree, nameDirectory, kMaxDirectoryEntries)) {
        if (!name.subdirectory() || !seen.insert(name.name).second)
            continue;
        if (!m_visited.insert(name.offset()).second)
            continue;
        // Several languages of one group are one icon: the first variant
        // stands for it and gives the language in which its images are found.
        for (const DirectoryEntry& lang : ReadDirectory(tree, name.offset(), kMaxLanguages)) {
            if (lang.subdirectory() || !tree.contains(lang.offset(), 16))
                continue;
            m_groups.push_back({ dataEntry(lang.offset()), lang.name });
            break;
        }
    }
}

void PeResourceReader::readIconNames(std::uint32_t nameDirectory)
{
    if (!m_visited.insert(nameDirectory).second)
        return;
    for (const DirectoryEntry& name : ReadDirectory(m_rsrc, nameDirectory, kMaxDirectoryEntries)) {
        // Groups name their images by number; a named RT_ICON cannot be reached.
        if (name.named() || !name.subdirectory())
            continue;
        m_icons.push_back({ name.id(), name.offset() });
    }
    std::stable_sort(m_icons.begin(), m_icons.end(),
                     [](const IconName& a, const IconName& b) { return a.id < b.id; });
}

ImageRange PeResourceReader::iconData(std::uint16_t id, std::uint32_t language) const
{
    auto it = std::lower_bound(m_icons.begin(), m_icons.end(), id,
                               [](const IconName& a, std::uint16_t v) { return a.id < v; });
    if (it == m_icons.end() || it->id != id)
        return {};
    // A language directory that is also one of the upper directories would
    // make the tree a loop; such an image counts as missing.
    if (m_visited.count(it->languageDirectory))
        return {};
    const SourceReader& tree = m_rsrc;
    std::optional<std::uint32_t> first;
    for (const DirectoryEntry& lang :
         ReadDirectory(tree, it->languageDirectory, kMaxLanguages)) {
        if (lang.subdirectory() || !tree.contains(lang.offset(), 16))
            continue;
        if (lang.name == language)
            return dataEntry(lang.offset());
        if (!first)
            first = lang.offset();
    }
    return first ? dataEntry(*first) : ImageRange {};
}

std::vector<std::uint8_t> PeResourceReader::groupDirectory(std::size_t group) const
{
    // Only as much as the entries that are ever looked at.
    const ImageRange& d = m_groups.at(group).directory;
    return ReadImage(m_file, { d.offset, std::min<std::uint64_t>(d.length, kMaxGroupDirectoryBytes) });
}

std::vector<IconCandidate> PeResourceReader::images(std::size_t group) const
{
    if (group >= m_groups.size())
        return {};
    const std::uint32_t language = m_groups[group].language;
    return GroupCandidates(groupDirectory(group),
                           [this, language](std::uint16_t id) { return iconData(id, language); }, m_file);
}

} // namespace glyphor::platform
