#include "catalogue/CatalogueFiles.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace glyphor::catalogue {

namespace {

constexpr std::string_view kStem = "glyphor2-catalogue";
constexpr std::string_view kExtension = ".sqlite";

} // namespace

std::string CatalogueFileName(int number)
{
    if (number <= 1)
        return std::string(kStem) + std::string(kExtension);
    return std::string(kStem) + "-" + std::to_string(number) + std::string(kExtension);
}

std::optional<int> CatalogueNumber(std::string_view name)
{
    if (!name.starts_with(kStem) || !name.ends_with(kExtension))
        return std::nullopt;
    std::string_view middle
        = name.substr(kStem.size(), name.size() - kStem.size() - kExtension.size());
    if (middle.empty())
        return 1;
    if (middle.size() < 2 || middle[0] != '-' || middle[1] == '0' || middle.size() > 10)
        return std::nullopt;
    middle.remove_prefix(1);
    int n = 0;
    const auto [end, ec] = std::from_chars(middle.data(), middle.data() + middle.size(), n);
    if (ec != std::errc() || end != middle.data() + middle.size() || n < 2
        || n > kMaxCatalogueNumber)
        return std::nullopt;
    return n;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return "./" + name;
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

std::vector<int> CatalogueNumbersIn(const std::string& folder)
{
    std::vector<int> out;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (auto n = CatalogueNumber(it->path().filename().native()))
            out.push_back(*n);
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace glyphor::catalogue
