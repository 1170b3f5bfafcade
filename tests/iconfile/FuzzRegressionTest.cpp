// The fuzzer's seeds must decode, and every input that ever made the fuzzer
// find a fault is kept in regressions/ and must be refused cleanly.

#include "iconfile/IconFileReader.h"
#include "iconfile/ImageDecoder.h"

#include "TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace glyphor {
namespace {

std::vector<std::filesystem::path> FilesIn(const char* folder)
{
    std::vector<std::filesystem::path> out;
    if (std::filesystem::is_directory(folder)) {
        for (const auto& e : std::filesystem::directory_iterator(folder))
            if (e.is_regular_file() && e.path().filename() != "README")
                out.push_back(e.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

TEST(FuzzInputs, SeedsDecode)
{
    const auto seeds = FilesIn(G2_FUZZ_SEEDS);
    ASSERT_FALSE(seeds.empty());
    for (const auto& path : seeds) {
        auto r = DecodeIconFile(test::ReadBytes(path.string()));
        EXPECT_TRUE(r) << path << ": " << r.message();
    }
}

TEST(FuzzInputs, FindingsAreRefused)
{
    const auto findings = FilesIn(G2_FUZZ_REGRESSIONS);
    if (findings.empty())
        GTEST_SKIP() << "no findings kept";
    for (const auto& path : findings) {
        const auto bytes = test::ReadBytes(path.string());
        auto r = DecodeIconFile(bytes);
        EXPECT_FALSE(r) << path;
        DecodeIconImage(bytes, DibLayout::IconFile);
        DecodeIconImage(bytes, DibLayout::Resource);
    }
}

} // namespace
} // namespace glyphor
