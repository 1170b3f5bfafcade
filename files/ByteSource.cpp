#include "files/ByteSource.h"

#include <cstring>

namespace glyphor::files {

bool MemorySource::read(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    if (offset > m_bytes.size() || out.size() > m_bytes.size() - offset)
        return false;
    if (!out.empty())
        std::memcpy(out.data(), m_bytes.data() + offset, out.size());
    return true;
}

bool SourceReader::fill(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    return m_source && contains(offset, out.size()) && m_source->read(m_base + offset, out);
}

std::optional<std::vector<std::uint8_t>> SourceReader::bytes(
    std::uint64_t offset, std::uint64_t length) const
{
    // Checked before the buffer is made, so that a size taken from the file
    // never allocates more than the window holds.
    if (!m_source || !contains(offset, length))
        return std::nullopt;
    std::vector<std::uint8_t> out(static_cast<std::size_t>(length));
    if (!fill(offset, out))
        return std::nullopt;
    return out;
}

std::optional<SourceReader> SourceReader::window(std::uint64_t offset, std::uint64_t length) const
{
    if (!contains(offset, length))
        return std::nullopt;
    SourceReader w = *this;
    w.m_base = m_base + offset;
    w.m_size = length;
    return w;
}

} // namespace glyphor::files
