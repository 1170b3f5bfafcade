#pragma once
// An original group written out as a file of its own: an icon file for an
// icon group, a cursor file for a cursor group. Every image keeps the bytes
// the executable stores (a PNG stays a PNG, a bitmap keeps its header and
// mask); the directory is made from the group's entries, with the images'
// sizes and offsets as they are written. The extract command writes these
// files; bytes in, bytes out, so that anything else that keeps an original
// group keeps the very same bytes.

#include "exe/IconContainer.h"
#include "exe/IconGroup.h"
#include "files/ByteSource.h"
#include "iconfile/IconFileFormat.h"
#include "util/Result.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace glyphor::exe {

// One image of a file to write: its directory entry (imageOffset and
// bytesInRes are replaced by where and how long the image is written) and
// its bytes.
struct GroupFileImage {
    IconDirEntry entry {};
    std::span<const std::uint8_t> bytes;
};

// The icon file (kind Icon) or cursor file (kind Cursor) of the images, in
// their order: the header, one entry each, then the images one after another.
// At most kMaxGroupImages images.
std::vector<std::uint8_t> WriteGroupFile(GroupKind kind, std::span<const GroupFileImage> images);

// An image of a group that a rebuilt file leaves out, and why.
struct LeftOutImage {
    std::size_t index = 0; // its place in the group directory, from 0
    std::string reason;
    bool operator==(const LeftOutImage&) const = default;
};

struct RebuiltGroup {
    // The file; empty when not one image of the group could be had.
    std::vector<std::uint8_t> file;
    std::size_t images = 0; // images written
    std::vector<LeftOutImage> leftOut;
};

// Most bytes of one rebuilt file. Real groups take well under a megabyte; a
// damaged directory can name one large image hundreds of times, and the
// images past this size are left out.
inline constexpr std::uint64_t kMaxGroupFileBytes = 64u << 20;

// The group of the container read from source (the file the container was
// opened on) and rebuilt: the images that are missing, cut short or cannot be
// read are left out and named with their reasons, the others are written. A
// failure, saying why, when the group's directory cannot be read.
Result<RebuiltGroup> RebuildGroup(
    const IconContainer& container, const files::ByteSource& source, std::size_t group);

} // namespace glyphor::exe
