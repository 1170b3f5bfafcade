// The fuzzer's seeds must decode, and every input that ever made the fuzzer
// find a fault is kept in regressions/ and must be refused cleanly.

#include "iconfile/IconFileReader.h"
#include "iconfile/ImageDecoder.h"

#include "kit/Files.h"
#include "kit/KeptInputs.h"

#include <gtest/gtest.h>

namespace glyphor {
namespace {

using kit::KeptInputs;

TEST(FuzzInputs, SeedsDecode)
{
    const auto seeds = KeptInputs(G2_FUZZ_SEEDS);
    ASSERT_FALSE(seeds.empty());
    for (const auto& path : seeds) {
        auto r = DecodeIconFile(kit::ReadBytes(path.string()));
        EXPECT_TRUE(r) << path << ": " << r.message();
    }
}

TEST(FuzzInputs, FindingsAreRefused)
{
    const auto findings = KeptInputs(G2_FUZZ_REGRESSIONS);
    if (findings.empty())
        GTEST_SKIP() << "no findings kept";
    for (const auto& path : findings) {
        const auto bytes = kit::ReadBytes(path.string());
        auto r = DecodeIconFile(bytes);
        EXPECT_FALSE(r) << path;
        DecodeIconImage(bytes, DibLayout::IconFile);
        DecodeIconImage(bytes, DibLayout::Resource);
    }
}

} // namespace
} // namespace glyphor
