#include "exe/IcoDirectoryReader.h"

#include "exe/CursorFormat.h"
#include "iconfile/IconFileFormat.h"

#include <algorithm>

namespace glyphor::exe {

std::optional<IcoDirectoryReader> IcoDirectoryReader::open(
    const files::ByteSource& file, GroupKind kind)
{
    const files::SourceReader r(file);
    const auto header = r.record<IconDirHeader>(0);
    const std::uint16_t type = kind == GroupKind::Icon ? kIconFileType : kCursorFileType;
    if (!header || header->reserved != 0 || header->type != type || header->count == 0)
        return std::nullopt;
    const std::uint64_t fit = (r.size() - sizeof(IconDirHeader)) / sizeof(IconDirEntry);
    if (fit == 0)
        return std::nullopt;
    IcoDirectoryReader reader(file, kind);
    reader.m_count = static_cast<std::size_t>(
        std::min<std::uint64_t>({ std::uint64_t { header->count }, fit, kMaxGroupImages }));
    return reader;
}

Result<std::vector<GroupImage>> IcoDirectoryReader::group(std::size_t group) const
{
    if (group != 0)
        return Failure { kNoSuchGroup };
    // The entries were seen to fit when the file was opened; only a failed
    // read can lose them now, and the source then says why.
    const auto entries = m_file.records<IconDirEntry>(sizeof(IconDirHeader), m_count);
    if (!entries)
        return Failure { "the image directory cannot be read" };
    std::vector<GroupImage> out;
    out.reserve(entries->size());
    for (const IconDirEntry& e : *entries) {
        GroupImage image;
        image.entry = e;
        image.entry.imageOffset = 0;
        // An image that runs past the end of the file is cut there; the
        // decoder refuses it if what remains is too short.
        image.data = ClampImage(e.imageOffset, e.bytesInRes, m_file.size());
        image.length = image.data.range.length;
        out.push_back(image);
    }
    return out;
}

} // namespace glyphor::exe
