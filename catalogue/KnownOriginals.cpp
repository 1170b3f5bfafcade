#include "catalogue/KnownOriginals.h"

#include "util/Fnv1a.h"

#include <algorithm>

namespace glyphor::catalogue {

std::uint64_t KnownOriginals::Fingerprint(std::span<const std::uint8_t> bytes)
{
    // FNV-1a over the size, the first and last 512 bytes and every 1024th
    // byte between: a few hundred bytes of a group of tens of kilobytes.
    Fnv1a h;
    const auto mix = [&](std::uint8_t b) { h.add(b); };
    for (int i = 0; i < 8; ++i)
        mix(std::uint8_t(bytes.size() >> (8 * i)));
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < std::min<std::size_t>(n, 512); ++i)
        mix(bytes[i]);
    for (std::size_t i = 512; i + 512 < n; i += 1024)
        mix(bytes[i]);
    for (std::size_t i = n > 512 ? n - 512 : n; i < n; ++i)
        mix(bytes[i]);
    return h.value();
}

std::optional<IconHash> KnownOriginals::find(std::span<const std::uint8_t> bytes) const
{
    const auto [first, last] = m_byFingerprint.equal_range(Fingerprint(bytes));
    for (auto it = first; it != last; ++it) {
        const Known& known = *it->second;
        if (std::equal(known.bytes.begin(), known.bytes.end(), bytes.begin(), bytes.end()))
            return known.hash;
    }
    return std::nullopt;
}

void KnownOriginals::add(std::span<const std::uint8_t> bytes, const IconHash& hash)
{
    if (bytes.size() > kMaxBytes)
        return;
    while (m_bytes + bytes.size() > kMaxBytes && !m_known.empty()) {
        const Known& oldest = m_known.front();
        const auto [first, last] = m_byFingerprint.equal_range(oldest.fingerprint);
        for (auto it = first; it != last; ++it) {
            if (it->second == &oldest) {
                m_byFingerprint.erase(it);
                break;
            }
        }
        m_bytes -= oldest.bytes.size();
        m_known.pop_front();
    }
    const std::uint64_t fingerprint = Fingerprint(bytes);
    m_known.push_back(Known { fingerprint, { bytes.begin(), bytes.end() }, hash });
    m_byFingerprint.emplace(fingerprint, &m_known.back());
    m_bytes += bytes.size();
}

void KnownOriginals::clear()
{
    m_byFingerprint.clear();
    m_known.clear();
    m_bytes = 0;
}

} // namespace glyphor::catalogue
