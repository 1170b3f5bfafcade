#include "harvest/OriginalHashes.h"

namespace glyphor {

catalogue::IconHash OriginalHashes::of(std::span<const std::uint8_t> group)
{
    {
        const std::lock_guard lock(m_mutex);
        if (const std::optional<catalogue::IconHash> known = m_known.find(group))
            return *known;
    }
    const catalogue::IconHash hash = catalogue::HashOfBytes(group);
    const std::lock_guard lock(m_mutex);
    if (!m_known.find(group))
        m_known.add(group, hash);
    return hash;
}

} // namespace glyphor
