#include "kit/GroupFiles.h"

#include <cstring>

namespace glyphor::kit {

std::optional<GroupFileContents> ReadGroupFile(const Bytes& file)
{
    if (file.size() < sizeof(IconDirHeader))
        return std::nullopt;
    IconDirHeader header;
    std::memcpy(&header, file.data(), sizeof header);
    GroupFileContents out;
    out.type = header.type;
    std::size_t next = sizeof(IconDirHeader) + header.count * sizeof(IconDirEntry);
    if (header.reserved != 0 || next > file.size())
        return std::nullopt;
    for (std::size_t i = 0; i < header.count; ++i) {
        IconDirEntry e;
        std::memcpy(&e, file.data() + sizeof(IconDirHeader) + i * sizeof(IconDirEntry), sizeof e);
        if (e.imageOffset != next || e.bytesInRes > file.size() - next)
            return std::nullopt;
        out.images.emplace_back(file.begin() + static_cast<std::ptrdiff_t>(next),
            file.begin() + static_cast<std::ptrdiff_t>(next + e.bytesInRes));
        next += e.bytesInRes;
        out.entries.push_back(e);
    }
    if (next != file.size())
        return std::nullopt;
    return out;
}

} // namespace glyphor::kit
