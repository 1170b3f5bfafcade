#pragma once
// The hashes of the original groups a harvest has met, shared by the threads
// that read its sources: the same group comes back again and again (one
// program in several builds, one library in several folders, copies of a
// whole collection), and finding it by its bytes costs a comparison, where
// hashing it again costs tens of kilobytes of SHA-256.

#include "catalogue/KnownOriginals.h"

#include <mutex>
#include <span>

namespace glyphor {

class OriginalHashes {
public:
    // The SHA-256 of group: the one known for the same bytes, or worked out
    // now (outside the lock) and kept for the next time.
    catalogue::IconHash of(std::span<const std::uint8_t> group);

private:
    std::mutex m_mutex;
    catalogue::KnownOriginals m_known;
};

} // namespace glyphor
