#pragma once
// Icon and cursor files read back by the rules of the format alone, for the
// tests of the rebuilt original groups: the header, the entries, and each
// image where its entry says.

#include "iconfile/IconFileFormat.h"
#include "kit/Bytes.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace glyphor::kit {

struct GroupFileContents {
    std::uint16_t type = 0; // 1 icon, 2 cursor
    std::vector<IconDirEntry> entries;
    std::vector<Bytes> images;
};

// Nothing unless the images follow the directory one after another, each
// where its entry says, up to the end of the file.
std::optional<GroupFileContents> ReadGroupFile(const Bytes& file);

} // namespace glyphor::kit
