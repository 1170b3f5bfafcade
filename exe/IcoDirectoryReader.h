#pragma once
// A plain icon file seen as a container: one icon made of all its images; or
// a cursor file, one cursor made of all its images.

#include "exe/IconContainer.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace glyphor::exe {

class IcoDirectoryReader final : public IconContainer {
public:
    // Nothing unless the file begins with an icon file header (reserved 0,
    // type 1; type 2, a cursor file, when cursors are asked for) that lists
    // at least one image whose directory entry fits. The file must outlive
    // the reader.
    static std::optional<IcoDirectoryReader> open(
        const files::ByteSource& file, GroupKind kind = GroupKind::Icon);

    std::size_t groupCount() const override { return 1; }
    // The one group of a file has no name.
    GroupName groupName(std::size_t) const override { return {}; }
    Result<std::vector<GroupImage>> group(std::size_t group) const override;

private:
    IcoDirectoryReader(const files::ByteSource& file, GroupKind kind)
        : IconContainer(file, kind)
    {
    }
    std::size_t m_count = 0;
};

} // namespace glyphor::exe
