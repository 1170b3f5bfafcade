#pragma once
// The icons of a 16-bit NE executable: its group icon resources (type 0x800E)
// in the order of the resource table, named ones first, and the icon
// resources (type 0x8003) they name by number.

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
    static std::optional<NeResourceReader> open(const files::ByteSource& file);

    std::size_t groupCount() const override { return m_groups.size(); }
    std::vector<IconCandidate> images(std::size_t group) const override;

private:
    struct Resource {
        std::uint16_t id; // without the 0x8000 bit; 0 for a named resource
        bool named;
        ImageRange data;
    };

    explicit NeResourceReader(const files::ByteSource& file)
        : m_file(file)
    {
    }
    ImageRange iconData(std::uint16_t id) const;

    files::SourceReader m_file;
    std::vector<Resource> m_groups;
    std::vector<Resource> m_icons;
};

} // namespace glyphor::exe
