#pragma once
// What every kind of file that holds icons offers the extraction: a number of
// groups (icons, or cursors) in a fixed order, and for each its name and the
// images it is made of.

#include "exe/IconChoice.h"
#include "exe/IconGroup.h"
#include "files/ByteSource.h"
#include "util/Result.h"

#include <cstddef>
#include <vector>

namespace glyphor::exe {

class IconContainer {
public:
    virtual ~IconContainer() = default;
    virtual std::size_t groupCount() const = 0;
    // The resource name or number of a group; none for an index it lacks.
    virtual GroupName groupName(std::size_t group) const = 0;
    // The images that group names, in the order of its directory, each with
    // its place in the file; an image that could not be found has an empty
    // range and the flaw that says why. A failure, saying why, for a group
    // whose directory cannot be read, and for an index it lacks.
    virtual Result<std::vector<GroupImage>> group(std::size_t group) const = 0;

    // The images of a group as the choice of image sees them; empty for a
    // damaged group.
    std::vector<IconCandidate> images(std::size_t group) const
    {
        auto found = this->group(group);
        return found ? CandidatesOf(*found, m_kind, m_file) : std::vector<IconCandidate> {};
    }

    GroupKind kind() const { return m_kind; }

protected:
    IconContainer(const files::ByteSource& file, GroupKind kind)
        : m_file(file)
        , m_kind(kind)
    {
    }

    files::SourceReader m_file;
    GroupKind m_kind;
};

// The failure of group() for an index that the file does not have.
inline constexpr const char* kNoSuchGroup = "the file has no group of that number";

} // namespace glyphor::exe
