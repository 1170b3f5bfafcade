#pragma once
// The original groups a catalogue has stored lately, with their hashes: the
// same group comes back again and again in a harvest (one program in several
// builds, one library in several folders), and finding it here by its bytes
// costs a comparison, not a hash of tens of kilobytes and a query.

#include "catalogue/IconHash.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

namespace glyphor::catalogue {

class KnownOriginals {
public:
    // Most bytes kept; the oldest groups go first.
    static constexpr std::size_t kMaxBytes = std::size_t { 32 } << 20;

    // The hash of a group stored before with exactly these bytes.
    std::optional<IconHash> find(std::span<const std::uint8_t> bytes) const;
    void add(std::span<const std::uint8_t> bytes, const IconHash& hash);
    void clear();

private:
    // A cheap fingerprint: the size and a sample of the bytes. Groups that
    // share it are told apart by their bytes.
    static std::uint64_t Fingerprint(std::span<const std::uint8_t> bytes);

    struct Known {
        std::uint64_t fingerprint;
        std::vector<std::uint8_t> bytes;
        IconHash hash;
    };
    std::deque<Known> m_known;
    std::unordered_multimap<std::uint64_t, const Known*> m_byFingerprint;
    std::size_t m_bytes = 0;
};

} // namespace glyphor::catalogue
