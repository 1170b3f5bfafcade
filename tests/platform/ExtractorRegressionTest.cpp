// Every input that ever made the extraction fuzzer report a fault is kept in
// tests/platform/regressions/ and must finish cleanly: count and every icon.

#include "platform/IconExtractor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

TEST(ExtractorFuzzFindings, EveryKeptInputFinishes)
{
    const std::filesystem::path dir = G2_EXTRACTOR_REGRESSIONS;
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(dir))
        for (const auto& e : std::filesystem::directory_iterator(dir))
            if (e.is_regular_file() && e.path().filename() != "README")
                files.push_back(e.path());
    if (files.empty())
        GTEST_SKIP() << "no findings kept";
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        std::ifstream in(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                              std::istreambuf_iterator<char>());
        const glyphor::platform::IconSource source(bytes);
        const int n = std::min(source.count(), 256);
        for (int i = 0; i < n; ++i)
            (void)source.icon(i);
    }
}

} // namespace
