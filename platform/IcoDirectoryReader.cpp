#include "platform/IcoDirectoryReader.h"

#include "util/ByteReader.h"

#include <algorithm>

namespace glyphor::platform {

namespace {
constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
} // namespace

std::optional<IcoDirectoryReader> IcoDirectoryReader::open(const ByteSource& file)
{
    const SourceReader r(file);
    auto reserved = r.u16(0);
    auto type = r.u16(2);
    auto count = r.u16(4);
    if (!reserved || *reserved != 0 || type != 1 || !count || *count == 0)
        return std::nullopt;
    const std::uint64_t fit = (r.size() - kHeaderSize) / kEntrySize;
    if (fit == 0)
        return std::nullopt;
    IcoDirectoryReader reader(file);
    reader.m_count = static_cast<std::size_t>(
        std::min<std::uint64_t>({ std::uint64_t { *count }, fit, kMaxGroupImages }));
    return reader;
}

std::vector<IconCandidate> IcoDirectoryReader::images(std::size_t group) const
{
    std::vector<IconCandidate> out;
    if (group != 0)
        return out;
    const auto directory = m_file.bytes(kHeaderSize, m_count * kEntrySize);
    if (!directory)
        return out;
    const ByteReader r(*directory);
    for (std::size_t i = 0; i < m_count; ++i) {
        const std::size_t at = i * kEntrySize;
        IconCandidate c;
        c.width = SideFromByte(*r.u8(at));
        c.height = SideFromByte(*r.u8(at + 1));
        // An image that runs past the end of the file is cut there; the
        // decoder refuses it if what remains is too short.
        c.data = ClampImage(*r.u32(at + 12), *r.u32(at + 8), m_file.size());
        c.bitCount = CandidateBitCount(*r.u16(at + 6), *r.u8(at + 2), m_file, c.data);
        out.push_back(c);
    }
    return out;
}

} // namespace glyphor::platform
