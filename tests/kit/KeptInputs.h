#pragma once
// The inputs a fuzzer starts from, and those kept from its findings:
// every file of the folder but its README, in name order. A folder that is
// not there holds none.

#include <algorithm>
#include <filesystem>
#include <vector>

namespace glyphor::kit {

inline std::vector<std::filesystem::path> KeptInputs(const std::filesystem::path& dir)
{
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(dir))
        for (const auto& e : std::filesystem::directory_iterator(dir))
            if (e.is_regular_file() && e.path().filename() != "README")
                files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace glyphor::kit
