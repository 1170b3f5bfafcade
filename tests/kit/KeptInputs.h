#pragma once
// The inputs kept from a fuzzer's findings: every file of the folder but its
// README, in name order, with their bytes. A folder that is not there holds
// none.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace glyphor::test {

inline std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

inline std::vector<std::filesystem::path> FuzzFindings(const std::filesystem::path& dir)
{
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(dir))
        for (const auto& e : std::filesystem::directory_iterator(dir))
            if (e.is_regular_file() && e.path().filename() != "README")
                files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace glyphor::test
