#pragma once
// What every kind of file that holds icons offers the extraction: a number of
// icons (groups) in a fixed order, and for each the images it is made of.

#include "exe/IconChoice.h"

#include <cstddef>
#include <vector>

namespace glyphor::exe {

class IconContainer {
public:
    virtual ~IconContainer() = default;
    virtual std::size_t groupCount() const = 0;
    // The images that group names, in the order of its directory, each with
    // its place in the file; an image that could not be found has an empty
    // range. Empty for a damaged group.
    virtual std::vector<IconCandidate> images(std::size_t group) const = 0;
};

} // namespace glyphor::exe
