#include "archive/ArchiveNames.h"

#include <algorithm>
#include <array>

namespace glyphor::archive {

namespace {

constexpr std::array<std::string_view, 19> kArchiveEndings = {
    ".zip",
    ".7z",
    ".cab",
    ".lzh",
    ".lha",
    ".rar",
    ".tar",
    ".tgz",
    ".tar.gz",
    ".tbz",
    ".tbz2",
    ".tar.bz2",
    ".txz",
    ".tar.xz",
    ".tzst",
    ".tar.zst",
    ".cpio",
    ".iso",
    ".ar",
};

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when name ends in ending (lower case) in any case of ASCII letters.
// Bytes outside ASCII compare as they are, so a name that is not UTF-8 is
// matched all the same.
bool EndsWith(std::string_view name, std::string_view ending)
{
    if (name.size() < ending.size())
        return false;
    const std::string_view tail = name.substr(name.size() - ending.size());
    return std::equal(
        tail.begin(), tail.end(), ending.begin(), [](char a, char b) { return Lower(a) == b; });
}

} // namespace

bool IsArchiveName(std::string_view name)
{
    return std::any_of(kArchiveEndings.begin(), kArchiveEndings.end(),
        [name](std::string_view ending) { return EndsWith(name, ending); });
}

bool IsSelfExtractingName(std::string_view name)
{
    return EndsWith(name, ".exe");
}

} // namespace glyphor::archive
