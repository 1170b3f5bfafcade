#pragma once
// Icons out of executables and icon files: what stands in for the system's
// icon extraction. The format is told from the content, never the name.
// Understood: PE32, PE32+, 16-bit NE and plain .ico files.

#include "iconfile/IconImage.h"

#include <optional>
#include <string>

namespace glyphor::platform {

// The number of icons (RT_GROUP_ICON groups, language variants once) of the
// file; 0 for a file that is missing, not an executable, damaged or iconless.
int IconCount(const std::string& path);

// Icon number index, in the order of the resource directory as stored: the
// image of the group chosen for 32 x 32, decoded at its own size. Nothing for
// an index outside 0 .. IconCount - 1 or a group whose images are damaged or
// missing. The same result on every call.
std::optional<IconImage> ExtractIcon(const std::string& path, int index);

} // namespace glyphor::platform
