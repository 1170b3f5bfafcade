#include "exe/NeResourceReader.h"

#include "exe/CursorFormat.h"
#include "exe/MzFormat.h"
#include "exe/NeFormat.h"

#include <algorithm>
#include <cstddef>

namespace glyphor::exe {

namespace {

constexpr std::uint16_t kIntegerId = NeTypeInfo::kIntegerId;

} // namespace

std::optional<NeResourceReader> NeResourceReader::open(
    const files::ByteSource& file, GroupKind kind)
{
    const files::SourceReader r(file);
    const auto dos = r.record<DosHeader>(0);
    if (!dos || dos->magic != kMzMagic)
        return std::nullopt;
    const std::uint64_t ne = dos->newHeaderOffset;
    if (r.u16(ne + offsetof(NeHeader, magic)) != kNeMagic)
        return std::nullopt;

    // From here on an NE file whose headers are cut off or damaged has no icons.
    NeResourceReader reader(file, kind);
    const auto header = r.record<NeHeader>(ne);
    // A table offset equal to that of the next table means no resources.
    if (!header || header->resourceTableOffset == header->residentNamesOffset)
        return reader;
    const std::uint64_t table = ne + header->resourceTableOffset;
    const auto tableHeader = r.record<NeResourceTableHeader>(table);
    if (!tableHeader || tableHeader->alignmentShift > kMaxAlignShift)
        return reader;
    const unsigned shift = tableHeader->alignmentShift;
    reader.m_table = table;
    reader.m_alignment = std::uint64_t { 1 } << shift;
    const bool icons = kind == GroupKind::Icon;
    const std::uint16_t groupType = icons ? kNeGroupIconType : kNeGroupCursorType;
    const std::uint16_t imageType = icons ? kNeIconType : kNeCursorType;

    std::vector<Resource> named;
    std::vector<Resource> numbered;
    std::uint64_t at = table + sizeof(NeResourceTableHeader);
    for (std::size_t t = 0; t < kMaxTypes; ++t) {
        const auto type = r.record<NeTypeInfo>(at);
        if (!type || type->typeId == 0)
            break;
        at += sizeof(NeTypeInfo);
        const std::size_t n = std::min<std::size_t>(type->count, kMaxResourcesPerType);
        // A type whose records run past the end of the file ends the table.
        if (!r.contains(at, n * sizeof(NeNameInfo)))
            break;
        if (type->typeId == groupType || type->typeId == imageType) {
            // The type's records in one read.
            const auto records = r.records<NeNameInfo>(at, n);
            if (!records)
                break;
            for (const NeNameInfo& info : *records) {
                const std::uint64_t offset = std::uint64_t { info.offset } << shift;
                const std::uint64_t length = std::uint64_t { info.length } << shift;
                const std::uint16_t id = info.id;
                // The length is counted in alignment units, so the last
                // resource may claim bytes past the end of the file; it is
                // cut there.
                Resource res { static_cast<std::uint16_t>(id & ~kIntegerId), (id & kIntegerId) == 0,
                    ClampImage(offset, length, r.size()) };
                if (type->typeId == imageType)
                    reader.m_icons.push_back(res);
                else
                    (res.named ? named : numbered).push_back(res);
            }
        }
        at += n * sizeof(NeNameInfo);
    }
    reader.m_groups = std::move(named);
    reader.m_groups.insert(reader.m_groups.end(), numbered.begin(), numbered.end());
    std::stable_sort(
        reader.m_icons.begin(), reader.m_icons.end(), [](const Resource& a, const Resource& b) {
            return std::make_pair(a.named, a.id) < std::make_pair(b.named, b.id);
        });
    return reader;
}

FoundImage NeResourceReader::iconData(std::uint16_t id) const
{
    auto it = std::lower_bound(
        m_icons.begin(), m_icons.end(), id, [](const Resource& a, std::uint16_t v) {
            return std::make_pair(a.named, a.id) < std::make_pair(false, v);
        });
    if (it == m_icons.end() || it->named || it->id != id)
        return { {}, Flaw::NotHeld };
    return it->data;
}

Result<std::vector<GroupImage>> NeResourceReader::group(std::size_t group) const
{
    if (group >= m_groups.size())
        return Failure { kNoSuchGroup };
    const FoundImage& d = m_groups[group].data;
    if (d.range.empty())
        return Failure { std::string(GroupFlawText(d.flaw)) };
    const std::vector<std::uint8_t> directory = ReadImage(m_file,
        { d.range.offset, std::min<std::uint64_t>(d.range.length, kMaxGroupDirectoryBytes) });
    return ReadGroupImages(
        directory, m_kind, [this](std::uint16_t id) { return iconData(id); }, m_file, m_alignment);
}

GroupName NeResourceReader::groupName(std::size_t group) const
{
    if (group >= m_groups.size())
        return {};
    const Resource& r = m_groups[group];
    if (!r.named)
        return GroupName::Number(r.id);
    // A name is a byte that gives its length, then its characters, in the
    // code page the program was made for: kept as the bytes they are.
    const std::uint64_t at = m_table + r.id;
    const auto length = m_file.record<std::uint8_t>(at);
    if (!length || *length == 0)
        return {};
    const auto name = m_file.bytes(at + 1, *length);
    if (!name)
        return {};
    return GroupName::Name(std::string(name->begin(), name->end()));
}

} // namespace glyphor::exe
