#pragma once
// The icons of a 16-bit NE executable: its group icon resources (type 0x800E)
// in the order of the resource table, named ones first, and the icon
// resources (type 0x8003) they name by number; or likewise its cursors
// (0x800C and 0x8001).

#include "exe/IconContainer.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace glyphor::exe {

class NeResourceReader final : public IconContainer {
public:
    // Largest alignment shift accepted; a larger one would put every resource
    // beyond any file this program can map.
    static constexpr std::uint16_t kMaxAlignShift = 15;
    // Most type records and most resources of one type read from the table.
    static constexpr std::size_t kMaxTypes = 1024;
    static constexpr std::size_t kMaxResourcesPerType = 65535;

    // Nothing unless the file begins with a DOS header that leads to an NE
    // header. An NE file with a damaged resource table has no icons. The
    // file must outlive the reader.
    static std::optional<NeResourceReader> open(
        const files::ByteSource& file, GroupKind kind = GroupKind::Icon);

    std::size_t groupCount() const override { return m_groups.size(); }
    GroupName groupName(std::size_t group) const override;
    Result<std::vector<GroupImage>> group(std::size_t group) const override;

private:
    struct Resource {
        // Without the 0x8000 bit; for a named resource, where its name lies
        // counted from the start of the resource table.
        std::uint16_t id = 0;
        bool named = false;
        FoundImage data;
    };

    NeResourceReader(const files::ByteSource& file, GroupKind kind)
        : IconContainer(file, kind)
    {
    }
    FoundImage iconData(std::uint16_t id) const;

    std::uint64_t m_table = 0; // where the resource table starts in the file
    std::uint64_t m_alignment = 1; // the unit of resource offsets and lengths
    std::vector<Resource> m_groups;
    std::vector<Resource> m_icons;
};

} // namespace glyphor::exe
