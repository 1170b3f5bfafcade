// Every input that ever made the archive fuzzer report a fault is kept in
// tests/archive/regressions/ and must be walked to its end within the
// fuzzer's limits.

#include "archive/ArchiveWalker.h"

#include "kit/Files.h"
#include "kit/KeptInputs.h"

#include <gtest/gtest.h>

using namespace glyphor::archive;

namespace {

// Wants every member and checks each against the limits as it comes.
class EveryMember : public ArchiveVisitor {
public:
    explicit EveryMember(const ArchiveLimits& limits)
        : m_limits(limits)
    {
    }
    bool wants(const MemberPath&) override { return true; }
    void member(const MemberPath& path, std::span<const std::uint8_t> bytes) override
    {
        EXPECT_LE(bytes.size(), m_limits.memberBytes) << DisplayMemberPath(path);
        EXPECT_LE(path.nesting(), static_cast<std::size_t>(m_limits.depth));
        delivered += bytes.size();
    }
    void skipped(const MemberPath&, const std::string& reason) override
    {
        EXPECT_FALSE(reason.empty());
    }
    std::uint64_t delivered = 0;

private:
    ArchiveLimits m_limits;
};

TEST(ArchiveFuzzFindings, EveryKeptInputFinishesWithinTheLimits)
{
    const auto files = glyphor::kit::KeptInputs(G2_ARCHIVE_REGRESSIONS);
    if (files.empty())
        GTEST_SKIP() << "no findings kept";
    // The fuzzer's own limits (fuzz/fuzz_archive.cpp).
    ArchiveLimits limits;
    limits.memberBytes = 16 * ArchiveLimits::kMiB;
    limits.totalBytes = 64 * ArchiveLimits::kMiB;
    limits.decoderBytes = 64 * ArchiveLimits::kMiB;
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        const auto bytes = glyphor::kit::ReadBytes(path);
        EveryMember visitor(limits);
        ArchiveWalker(visitor, limits).walkBytes("input", bytes);
        EXPECT_LE(visitor.delivered, limits.totalBytes);
    }
}

} // namespace
