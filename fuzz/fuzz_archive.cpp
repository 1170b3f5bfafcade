// Arbitrary bytes walked as an archive, every member wanted: whatever the
// bytes, the walk finishes within its limits, never reads outside the bytes
// it is given or hands out, and never holds a member larger than the limit.
// The limits are smaller than the program's, so that libFuzzer's own limits
// (-rss_limit_mb=2048, -timeout=10 in scripts/fuzz) hold for every input even
// under AddressSanitizer: three levels of 16 MiB buffers, 64 MiB unpacked
// at most, and decoders of 64 MiB.

#include "archive/ArchiveWalker.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

using namespace glyphor::archive;

ArchiveLimits FuzzLimits()
{
    ArchiveLimits limits;
    limits.memberBytes = 16 * ArchiveLimits::kMiB;
    limits.totalBytes = 64 * ArchiveLimits::kMiB;
    limits.decoderBytes = 64 * ArchiveLimits::kMiB;
    return limits;
}

class EveryMember : public ArchiveVisitor {
public:
    bool wants(const MemberPath&) override { return true; }
    void member(const MemberPath& path, std::span<const std::uint8_t> bytes) override
    {
        // Every byte handed out is read, so that the sanitizer sees a span
        // that points anywhere but at live bytes.
        std::uint8_t sum = 0;
        for (const std::uint8_t b : bytes)
            sum = static_cast<std::uint8_t>(sum + b);
        m_sink = static_cast<std::uint8_t>(m_sink ^ sum);
        m_delivered += bytes.size();
        if (bytes.size() > kLimits.memberBytes || m_delivered > kLimits.totalBytes
            || path.nesting() > static_cast<std::size_t>(kLimits.depth))
            __builtin_trap();
    }
    void skipped(const MemberPath& path, const std::string& reason) override
    {
        if (reason.empty() || path.parts().empty())
            __builtin_trap();
    }

    static inline const ArchiveLimits kLimits = FuzzLimits();

private:
    std::uint64_t m_delivered = 0;
    volatile std::uint8_t m_sink = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    EveryMember visitor;
    ArchiveWalker(visitor, EveryMember::kLimits).walkBytes("input.zip", { data, size });
    return 0;
}
