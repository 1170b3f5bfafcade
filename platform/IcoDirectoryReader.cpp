#include "platform/IcoDirectoryReader.h"

#include "util/ByteReader.h"

#include <algorithm>

namespace glyphor::platform {

namespace {
constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
} // namespace

std::optional<IcoDirectoryReader> IcoDirectoryReader::open(std::span<const std::uint8_t> file)
{
    ByteReader r(file);
    auto reserved = r.u16(0);
    auto type = r.u16(2);
    auto count = r.u16(4);
    if (!reserved || *reserved != 0 || type != 1 || !count || *count == 0)
        return std::nullopt;
    const std::size_t fit = (file.size() - kHeaderSize) / kEntrySize;
    if (fit == 0)
        return std::nullopt;
    IcoDirectoryReader reader(file);
    reader.m_count = std::min({ std::size_t { *count }, fit, kMaxGroupImages });
    return reader;
}

std::vector<IconCandidate> IcoDirectoryReader::images(std::size_t group) const
{
    std::vector<IconCandidate> out;
    if (group != 0)
        return out;
    ByteReader r(m_file);
    for (std::size_t i = 0; i < m_count; ++i) {
        const std::size_t at = kHeaderSize + i * kEntrySize;
        IconCandidate c;
        c.width = SideFromByte(*r.u8(at));
        c.height = SideFromByte(*r.u8(at + 1));
        const std::uint32_t size = *r.u32(at + 8);
        const std::uint32_t offset = *r.u32(at + 12);
        // An image that runs past the end of the file is cut there; the
        // decoder refuses it if what remains is too short.
        if (offset < m_file.size())
            c.data = m_file.subspan(offset, std::min<std::size_t>(size, m_file.size() - offset));
        c.bitCount = CandidateBitCount(*r.u16(at + 6), *r.u8(at + 2), c.data);
        out.push_back(c);
    }
    return out;
}

} // namespace glyphor::platform
