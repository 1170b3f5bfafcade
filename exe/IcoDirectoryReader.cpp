#include "exe/IcoDirectoryReader.h"

#include "iconfile/IconFileFormat.h"

#include <algorithm>

namespace glyphor::exe {

std::optional<IcoDirectoryReader> IcoDirectoryReader::open(const files::ByteSource& file)
{
    const files::SourceReader r(file);
    const auto header = r.record<IconDirHeader>(0);
    if (!header || header->reserved != 0 || header->type != 1 || header->count == 0)
        return std::nullopt;
    const std::uint64_t fit = (r.size() - sizeof(IconDirHeader)) / sizeof(IconDirEntry);
    if (fit == 0)
        return std::nullopt;
    IcoDirectoryReader reader(file);
    reader.m_count = static_cast<std::size_t>(
        std::min<std::uint64_t>({ std::uint64_t { header->count }, fit, kMaxGroupImages }));
    return reader;
}

std::vector<IconCandidate> IcoDirectoryReader::images(std::size_t group) const
{
    std::vector<IconCandidate> out;
    if (group != 0)
        return out;
    const auto entries = m_file.records<IconDirEntry>(sizeof(IconDirHeader), m_count);
    if (!entries)
        return out;
    for (const IconDirEntry& e : *entries) {
        IconCandidate c;
        c.width = SideFromByte(e.width);
        c.height = SideFromByte(e.height);
        // An image that runs past the end of the file is cut there; the
        // decoder refuses it if what remains is too short.
        c.data = ClampImage(e.imageOffset, e.bytesInRes, m_file.size());
        c.bitCount = CandidateBitCount(e.bitCount, e.colourCount, m_file, c.data);
        out.push_back(c);
    }
    return out;
}

} // namespace glyphor::exe
