#pragma once
// A group as the file stores it: the resource name or number it goes by, and
// the images its directory lists, each with the directory entry that an icon
// or cursor file would give it and its place in the file. What the capture's
// choice of image and the rebuilt original groups are made from.

#include "exe/IconChoice.h"
#include "exe/ImageRange.h"
#include "files/ByteSource.h"
#include "iconfile/IconFileFormat.h"
#include "util/GroupName.h"
#include "util/Result.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace glyphor::exe {

// The groups a file is read for: its icons, or its cursors.
enum class GroupKind { Icon, Cursor };

// What a group resource is called (one type for the whole program).
using glyphor::GroupName;

// Most characters of a name that are read: names are identifiers of a few
// dozen characters, and the file names made of them must stay short.
inline constexpr std::size_t kMaxNameUnits = 255;

// UTF-16 units as UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8OfUtf16(std::span<const std::uint16_t> units);

// One image of a group.
struct GroupImage {
    // The entry an icon or cursor file gives the image: the group entry's
    // fields, for a cursor its height halved (the group counts the mask rows
    // too) and its hot spot where an icon has planes and bit count.
    // imageOffset stays 0; the image's place is data.
    IconDirEntry entry {};
    // Where the image lies: for a cursor, after its hot spot.
    FoundImage data;
    // The bytes of the image itself at the start of data: all of them but the
    // padding that an NE file adds up to its alignment unit.
    std::uint64_t length = 0;
};

// The images of a group directory (header, then 14-byte entries), each looked
// up by its id with imageById. At most kMaxGroupImages are read; an image
// whose entry lies past the end of the directory is there with the flaw
// NoEntry and no data. A cursor's hot spot is read from
// the start of its image. alignment is the unit in which the file rounds up
// the lengths of its resources (1 but for NE files). A failure, saying why,
// when the directory is too short for its header or lists no image.
Result<std::vector<GroupImage>> ReadGroupImages(std::span<const std::uint8_t> directory,
    GroupKind kind, const std::function<FoundImage(std::uint16_t id)>& imageById,
    const files::SourceReader& file, std::uint64_t alignment = 1);

// The images as the choice sees them, with their depths (the image's own
// header is read when the entry leaves the depth open).
std::vector<IconCandidate> CandidatesOf(
    const std::vector<GroupImage>& images, GroupKind kind, const files::SourceReader& file);

} // namespace glyphor::exe
