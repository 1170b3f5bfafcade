#include "archive/ArchiveSource.h"

#include <algorithm>
#include <cstdio>

namespace glyphor::archive {

ArchiveSource::Block ArchiveSource::next()
{
    if (m_position >= m_size)
        return {};
    const auto length
        = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSize, m_size - m_position));
    Block block = blockAt(m_position, length);
    m_position += block.bytes.size();
    return block;
}

std::optional<std::uint64_t> ArchiveSource::seek(std::int64_t offset, int whence)
{
    std::uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = m_position;
    else if (whence == SEEK_END)
        base = m_size;
    else if (whence != SEEK_SET)
        return std::nullopt;
    // The offsets come from the archive's own records; checked without
    // overflow in either direction.
    std::uint64_t to = 0;
    if (offset < 0) {
        const std::uint64_t back = 0 - static_cast<std::uint64_t>(offset);
        if (back > base)
            return std::nullopt;
        to = base - back;
    } else {
        const auto ahead = static_cast<std::uint64_t>(offset);
        if (ahead > m_size - std::min(base, m_size))
            return std::nullopt;
        to = base + ahead;
    }
    m_position = to;
    return to;
}

std::uint64_t ArchiveSource::skip(std::uint64_t count)
{
    const std::uint64_t moved = std::min(count, m_size - std::min(m_position, m_size));
    m_position += moved;
    return moved;
}

FileArchiveSource::FileArchiveSource(files::InputFile file)
    : ArchiveSource(file.size())
    , m_file(std::move(file))
    , m_buffer(kBlockSize)
{
}

ArchiveSource::Block FileArchiveSource::blockAt(std::uint64_t offset, std::size_t length)
{
    const files::InputFile::Read got = m_file.readAt(offset, std::span(m_buffer).first(length));
    if (got.error != 0)
        return { {}, got.error };
    return { std::span<const std::uint8_t>(m_buffer).first(got.count), 0 };
}

ArchiveSource::Block MemoryArchiveSource::blockAt(std::uint64_t offset, std::size_t length)
{
    return { m_bytes.subspan(static_cast<std::size_t>(offset), length), 0 };
}

} // namespace glyphor::archive
