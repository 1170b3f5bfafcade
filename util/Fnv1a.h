#pragma once
// FNV-1a, 64 bits: a cheap hash for telling most unequal byte strings apart
// before they are compared or hashed in earnest. Fed byte by byte, so that a
// caller can hash pieces of a buffer (a sample of a large one) as one string.

#include <cstdint>
#include <span>

namespace glyphor {

class Fnv1a {
public:
    void add(std::uint8_t byte)
    {
        m_hash ^= byte;
        m_hash *= kPrime;
    }
    void add(std::span<const std::uint8_t> bytes)
    {
        for (const std::uint8_t b : bytes)
            add(b);
    }
    std::uint64_t value() const { return m_hash; }

    static std::uint64_t Of(std::span<const std::uint8_t> bytes)
    {
        Fnv1a h;
        h.add(bytes);
        return h.value();
    }

private:
    static constexpr std::uint64_t kOffsetBasis = 14695981039346656037ULL;
    static constexpr std::uint64_t kPrime = 1099511628211ULL;

    std::uint64_t m_hash = kOffsetBasis;
};

} // namespace glyphor
