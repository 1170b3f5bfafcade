#include "exe/PeResourceReader.h"

#include "exe/CursorFormat.h"
#include "exe/MzFormat.h"

#include <algorithm>
#include <cstddef>

namespace glyphor::exe {

namespace {

// The entries of the directory at offset in the resource section: named ones
// first, then ids, as stored. Entries past the end of the section are left
// out (a truncated file keeps what it still has).
std::vector<ResourceDirectoryEntry> ReadDirectory(
    const files::SourceReader& rsrc, std::uint32_t offset, std::size_t cap)
{
    const auto directory = rsrc.record<ResourceDirectory>(offset);
    if (!directory)
        return {};
    const std::size_t total = std::min<std::size_t>(
        std::size_t { directory->numberOfNamedEntries } + directory->numberOfIdEntries, cap);
    const std::uint64_t first = std::uint64_t { offset } + sizeof(ResourceDirectory);
    const std::uint64_t room
        = rsrc.size() > first ? (rsrc.size() - first) / sizeof(ResourceDirectoryEntry) : 0;
    // The whole table in one read: directories are read entry by entry, and
    // a large one would otherwise cost a read per entry.
    return rsrc.records<ResourceDirectoryEntry>(first, std::min<std::uint64_t>(total, room))
        .value_or(std::vector<ResourceDirectoryEntry> {});
}

// Where the table of data directories starts, counted from the optional
// header, and how many entries it claims.
struct DirectoryTable {
    std::uint64_t offset = 0;
    std::uint32_t count = 0;
};

template <class OptionalHeader>
std::optional<DirectoryTable> TableAfter(const files::SourceReader& r, std::uint64_t optionalHeader)
{
    const auto header = r.record<OptionalHeader>(optionalHeader);
    if (!header)
        return std::nullopt;
    return DirectoryTable { sizeof(OptionalHeader), header->numberOfRvaAndSizes };
}

// The table of data directories of either layout of the optional header;
// nothing for another layout or a header cut short.
std::optional<DirectoryTable> DataDirectories(
    const files::SourceReader& r, std::uint64_t optionalHeader)
{
    const auto magic = r.u16(optionalHeader + offsetof(OptionalHeader32, magic));
    if (magic == kPe32Magic)
        return TableAfter<OptionalHeader32>(r, optionalHeader);
    if (magic == kPe32PlusMagic)
        return TableAfter<OptionalHeader64>(r, optionalHeader);
    return std::nullopt;
}

} // namespace

std::optional<PeResourceReader> PeResourceReader::open(
    const files::ByteSource& file, GroupKind kind)
{
    const files::SourceReader r(file);
    const auto dos = r.record<DosHeader>(0);
    if (!dos || dos->magic != kMzMagic)
        return std::nullopt;
    const std::uint64_t pe = dos->newHeaderOffset;
    const auto signature = r.record<PeSignature>(pe);
    if (!signature || signature->magic != kPeMagic)
        return std::nullopt;

    // From here on a PE file whose headers are cut off or damaged has no icons.
    PeResourceReader reader(file, kind);
    const std::uint64_t coffAt = pe + sizeof(PeSignature);
    const auto coff = r.record<CoffFileHeader>(coffAt);
    if (!coff)
        return reader;
    const std::uint64_t opt = coffAt + sizeof(CoffFileHeader);
    const auto table = DataDirectories(r, opt);
    if (!table || table->count <= kResourceDirectoryIndex)
        return reader;
    const std::uint64_t resourceAt
        = table->offset + kResourceDirectoryIndex * sizeof(DataDirectory);
    if (resourceAt + sizeof(DataDirectory) > coff->sizeOfOptionalHeader)
        return reader;
    const auto resources = r.record<DataDirectory>(opt + resourceAt);
    if (!resources || resources->virtualAddress == 0)
        return reader;

    // A section table cut short by the end of the file keeps the sections
    // it still holds.
    const std::uint64_t sectionsAt = opt + coff->sizeOfOptionalHeader;
    const std::uint64_t fit
        = r.size() > sectionsAt ? (r.size() - sectionsAt) / sizeof(SectionHeader) : 0;
    const std::uint64_t n
        = std::min<std::uint64_t>({ coff->numberOfSections, std::uint64_t { kMaxSections }, fit });
    auto sections = r.records<SectionHeader>(sectionsAt, n);
    if (!sections)
        return reader;
    reader.m_sections = std::move(*sections);

    // The directory's size field is not trusted; the tree may use the rest of
    // its section, and every offset in it is checked against that.
    const ImageRange rsrc = reader.mapRva(resources->virtualAddress, UINT64_MAX).range;
    const auto tree = !rsrc.empty() ? r.window(rsrc.offset, rsrc.length) : std::nullopt;
    if (!tree)
        return reader;
    reader.m_rsrc = *tree;

    const bool icons = kind == GroupKind::Icon;
    const std::uint16_t groupType = icons ? kGroupIconResourceType : kGroupCursorResourceType;
    const std::uint16_t imageType = icons ? kIconResourceType : kCursorResourceType;
    reader.m_visited.insert(0);
    bool groupsDone = false;
    bool iconsDone = false;
    for (const ResourceDirectoryEntry& e : ReadDirectory(reader.m_rsrc, 0, kMaxDirectoryEntries)) {
        if (e.named() || !e.subdirectory())
            continue;
        // A type listed twice is damage; the first one stands.
        if (e.id() == groupType && !groupsDone) {
            groupsDone = true;
            reader.readGroups(e.offset());
        } else if (e.id() == imageType && !iconsDone) {
            iconsDone = true;
            reader.readIconNames(e.offset());
        }
    }
    return reader;
}

FoundImage PeResourceReader::mapRva(std::uint32_t rva, std::uint64_t size) const
{
    for (const SectionHeader& s : m_sections) {
        const std::uint32_t start = s.virtualAddress;
        const std::uint32_t rawSize = s.sizeOfRawData;
        if (rva < start)
            continue;
        const std::uint32_t delta = rva - start;
        if (delta >= std::max<std::uint32_t>(s.virtualSize, rawSize))
            continue;
        // Inside the section but past its raw data: memory the loader zero-fills,
        // not bytes of the file.
        if (delta >= rawSize)
            return { {}, Flaw::NoSection };
        const std::uint64_t offset = std::uint64_t { s.pointerToRawData } + delta;
        if (offset >= m_file.size())
            return { {}, Flaw::BeyondEnd };
        std::uint64_t n = std::min<std::uint64_t>(size, rawSize - delta);
        Flaw flaw = n < size ? Flaw::PastSection : Flaw::None;
        if (n > m_file.size() - offset) {
            n = m_file.size() - offset;
            flaw = Flaw::PastEnd;
        }
        return { { offset, n }, flaw };
    }
    return { {}, Flaw::NoSection };
}

// The bytes that the data entry at offset describes; empty when the entry or
// its data lies outside the file. Data that runs past the end of its section
// or file is cut there; the image decoder refuses an image that is then too
// short.
FoundImage PeResourceReader::dataEntry(std::uint32_t offset) const
{
    const auto entry = m_rsrc.record<ResourceDataEntry>(offset);
    if (!entry)
        return { {}, Flaw::NoData };
    if (entry->size == 0)
        return { {}, Flaw::Empty };
    const FoundImage data = mapRva(entry->dataRva, entry->size);
    if (data.range.empty())
        return data;
    const FoundImage clamped = ClampImage(data.range.offset, data.range.length, m_file.size());
    return { clamped.range, clamped.flaw != Flaw::None ? clamped.flaw : data.flaw };
}

void PeResourceReader::readGroups(std::uint32_t nameDirectory)
{
    if (!m_visited.insert(nameDirectory).second)
        return;
    const files::SourceReader& tree = m_rsrc;
    std::unordered_set<std::uint32_t> seen; // a name or id listed twice counts once
    for (const ResourceDirectoryEntry& name :
        ReadDirectory(tree, nameDirectory, kMaxDirectoryEntries)) {
        if (!name.subdirectory() || !seen.insert(std::uint32_t { name.name }).second)
            continue;
        if (!m_visited.insert(name.offset()).second)
            continue;
        // Several languages of one group are one icon: the first variant
        // stands for it and gives the language in which its images are found.
        for (const ResourceDirectoryEntry& lang :
            ReadDirectory(tree, name.offset(), kMaxLanguages)) {
            if (lang.subdirectory() || !tree.contains(lang.offset(), sizeof(ResourceDataEntry)))
                continue;
            m_groups.push_back({ dataEntry(lang.offset()), lang.name, name.name });
            break;
        }
    }
}

void PeResourceReader::readIconNames(std::uint32_t nameDirectory)
{
    if (!m_visited.insert(nameDirectory).second)
        return;
    for (const ResourceDirectoryEntry& name :
        ReadDirectory(m_rsrc, nameDirectory, kMaxDirectoryEntries)) {
        // Groups name their images by number; a named RT_ICON cannot be reached.
        if (name.named() || !name.subdirectory())
            continue;
        m_icons.push_back({ name.id(), name.offset() });
    }
    std::stable_sort(m_icons.begin(), m_icons.end(),
        [](const IconName& a, const IconName& b) { return a.id < b.id; });
}

FoundImage PeResourceReader::iconData(std::uint16_t id, std::uint32_t language) const
{
    auto it = std::lower_bound(m_icons.begin(), m_icons.end(), id,
        [](const IconName& a, std::uint16_t v) { return a.id < v; });
    if (it == m_icons.end() || it->id != id)
        return { {}, Flaw::NotHeld };
    // A language directory that is also one of the upper directories would
    // make the tree a loop; such an image counts as missing.
    if (m_visited.count(it->languageDirectory))
        return { {}, Flaw::Loop };
    const files::SourceReader& tree = m_rsrc;
    std::optional<std::uint32_t> first;
    for (const ResourceDirectoryEntry& lang :
        ReadDirectory(tree, it->languageDirectory, kMaxLanguages)) {
        if (lang.subdirectory() || !tree.contains(lang.offset(), sizeof(ResourceDataEntry)))
            continue;
        if (lang.name == language)
            return dataEntry(lang.offset());
        if (!first)
            first = lang.offset();
    }
    return first ? dataEntry(*first) : FoundImage { {}, Flaw::NoData };
}

std::vector<std::uint8_t> PeResourceReader::groupDirectory(std::size_t group) const
{
    // Only as much as the entries that are ever looked at.
    const ImageRange& d = m_groups.at(group).directory.range;
    return ReadImage(
        m_file, { d.offset, std::min<std::uint64_t>(d.length, kMaxGroupDirectoryBytes) });
}

Result<std::vector<GroupImage>> PeResourceReader::group(std::size_t group) const
{
    if (group >= m_groups.size())
        return Failure { kNoSuchGroup };
    const FoundImage& directory = m_groups[group].directory;
    if (directory.range.empty())
        return Failure { std::string(GroupFlawText(directory.flaw)) };
    const std::uint32_t language = m_groups[group].language;
    return ReadGroupImages(
        groupDirectory(group), m_kind,
        [this, language](std::uint16_t id) { return iconData(id, language); }, m_file);
}

GroupName PeResourceReader::groupName(std::size_t group) const
{
    if (group >= m_groups.size())
        return {};
    const ResourceDirectoryEntry entry { m_groups[group].name, 0 };
    if (!entry.named())
        return GroupName::Number(entry.id());
    // A name is its length in UTF-16 units, then the units, somewhere in the
    // tree; one that lies outside it has no name that can be told.
    const std::uint32_t at = entry.name & ~ResourceDirectoryEntry::kHighBit;
    const auto length = m_rsrc.u16(at);
    if (!length)
        return {};
    const std::size_t units = std::min<std::size_t>(*length, kMaxNameUnits);
    const auto stored = m_rsrc.records<LeU16>(std::uint64_t { at } + sizeof(LeU16), units);
    if (!stored)
        return {};
    std::vector<std::uint16_t> name(stored->begin(), stored->end());
    return GroupName::Name(Utf8OfUtf16(name));
}

} // namespace glyphor::exe
