#include "platform/NeResourceReader.h"

#include "util/ByteReader.h"

#include <algorithm>

namespace glyphor::platform {

namespace {

constexpr std::uint16_t kNeGroupIcon = 0x800E;
constexpr std::uint16_t kNeIcon = 0x8003;
constexpr std::uint16_t kIntegerId = 0x8000;
constexpr std::size_t kTypeInfoSize = 8;
constexpr std::size_t kNameInfoSize = 12;

} // namespace

std::optional<NeResourceReader> NeResourceReader::open(const ByteSource& file)
{
    const SourceReader r(file);
    if (r.u16(0) != 0x5A4D) // "MZ"
        return std::nullopt;
    auto lfanew = r.u32(0x3C);
    if (!lfanew || r.u16(*lfanew) != 0x454E) // "NE"
        return std::nullopt;

    NeResourceReader reader(file);
    const std::uint64_t ne = *lfanew;
    auto tableOffset = r.u16(ne + 0x24);
    auto residentNames = r.u16(ne + 0x26);
    // A table offset equal to that of the next table means no resources.
    if (!tableOffset || !residentNames || *tableOffset == *residentNames)
        return reader;
    const std::uint64_t table = ne + *tableOffset;
    auto shift = r.u16(table);
    if (!shift || *shift > kMaxAlignShift)
        return reader;

    std::vector<Resource> named;
    std::vector<Resource> numbered;
    std::uint64_t at = table + 2;
    for (std::size_t t = 0; t < kMaxTypes; ++t) {
        auto type = r.u16(at);
        auto count = r.u16(at + 2);
        if (!type || *type == 0 || !count)
            break;
        at += kTypeInfoSize;
        const std::size_t n = std::min<std::size_t>(*count, kMaxResourcesPerType);
        // A type whose records run past the end of the file ends the table.
        if (!r.contains(at, n * kNameInfoSize))
            break;
        if (*type == kNeGroupIcon || *type == kNeIcon) {
            // The type's records in one read rather than four per record.
            const auto records = r.bytes(at, n * kNameInfoSize);
            if (!records)
                break;
            const ByteReader rec(*records);
            for (std::size_t i = 0; i < n; ++i) {
                const std::uint64_t pos = i * kNameInfoSize;
                const std::uint64_t offset = std::uint64_t { *rec.u16(pos) } << *shift;
                const std::uint64_t length = std::uint64_t { *rec.u16(pos + 2) } << *shift;
                const std::uint16_t id = *rec.u16(pos + 6);
                // The length is counted in alignment units, so the last
                // resource may claim bytes past the end of the file; it is
                // cut there.
                Resource res { static_cast<std::uint16_t>(id & ~kIntegerId), (id & kIntegerId) == 0,
                               ClampImage(offset, length, r.size()) };
                if (*type == kNeIcon)
                    reader.m_icons.push_back(res);
                else
                    (res.named ? named : numbered).push_back(res);
            }
        }
        at += n * kNameInfoSize;
    }
    reader.m_groups = std::move(named);
    reader.m_groups.insert(reader.m_groups.end(), numbered.begin(), numbered.end());
    std::stable_sort(reader.m_icons.begin(), reader.m_icons.end(),
                     [](const Resource& a, const Resource& b) {
                         return std::make_pair(a.named, a.id) < std::make_pair(b.named, b.id);
                     });
    return reader;
}

ImageRange NeResourceReader::iconData(std::uint16_t id) const
{
    auto it = std::lower_bound(m_icons.begin(), m_icons.end(), id,
                               [](const Resource& a, std::uint16_t v) {
                                   return std::make_pair(a.named, a.id) < std::make_pair(false, v);
                               });
    if (it == m_icons.end() || it->named || it->id != id)
        return {};
    return it->data;
}

std::vector<IconCandidate> NeResourceReader::images(std::size_t group) const
{
    if (group >= m_groups.size())
        return {};
    const ImageRange& d = m_groups[group].data;
    const std::vector<std::uint8_t> directory =
        ReadImage(m_file, { d.offset, std::min<std::uint64_t>(d.length, kMaxGroupDirectoryBytes) });
    return GroupCandidates(directory, [this](std::uint16_t id) { return iconData(id); }, m_file);
}

} // namespace glyphor::platform
