// Every input that ever made the extraction fuzzer report a fault is kept in
// tests/exe/regressions/ and must finish cleanly: count and every icon.

#include "exe/IconExtractor.h"

#include "kit/Files.h"
#include "kit/KeptInputs.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(ExtractorFuzzFindings, EveryKeptInputFinishes)
{
    const auto files = glyphor::kit::KeptInputs(G2_EXTRACTOR_REGRESSIONS);
    if (files.empty())
        GTEST_SKIP() << "no findings kept";
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        // The source reads from the bytes for as long as it lives.
        const std::vector<std::uint8_t> bytes = glyphor::kit::ReadBytes(path);
        const glyphor::exe::IconSource source(bytes);
        const int n = std::min(source.count(), 256);
        for (int i = 0; i < n; ++i)
            (void)source.icon(i);
    }
}

} // namespace
