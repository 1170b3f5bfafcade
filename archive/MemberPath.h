#pragma once
// Where a member lies: the archive on disk, then the name of each archive
// inside it that leads to the member, then the member's own name, each as the
// bytes its archive stores (a name need not be valid UTF-8; it is never
// changed on its way through).

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace glyphor::archive {

// " › " (U+203A with a space each side) in UTF-8: what the status text and the
// lists of skipped members put between the names of a member path.
inline constexpr std::string_view kMemberSeparator = " \xE2\x80\xBA ";

class MemberPath {
public:
    // The archive on disk itself, by the system's bytes for its path.
    explicit MemberPath(std::string file) { m_parts.push_back(std::move(file)); }

    // A member of the archive (or member) this path names, the position-th
    // entry of it (from 1), which tells apart members of one name.
    MemberPath member(std::string name, std::size_t position = 0) const;

    // The path on disk, then the names inside it.
    const std::vector<std::string>& parts() const { return m_parts; }
    const std::string& file() const { return m_parts.front(); }
    // The last name: the member's name within its archive (the path on disk
    // for the archive itself).
    const std::string& name() const { return m_parts.back(); }
    // The position of each member in its archive, one for each name after
    // the path on disk.
    const std::vector<std::size_t>& positions() const { return m_positions; }
    // How many archives enclose what the path names: 0 for the file on disk.
    std::size_t nesting() const { return m_parts.size() - 1; }

    bool operator==(const MemberPath&) const = default;

private:
    std::vector<std::string> m_parts;
    std::vector<std::size_t> m_positions;
};

// "/path/old.zip › inner.zip › setup/app.exe": the parts joined by
// kMemberSeparator, the bytes of each as they are; a caller that shows it
// marks the bytes that are not UTF-8 as it does for any path.
std::string DisplayMemberPath(const MemberPath& path);

} // namespace glyphor::archive
