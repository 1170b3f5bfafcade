#pragma once
// The one writer of icon files: one image, 4 bits per pixel with the 16-colour
// table, and a one-bit mask; 766 bytes for the 32 x 32 icons of the program.

#include "iconfile/IconImage.h"

#include <cstdint>
#include <string>
#include <vector>

namespace glyphor {

// The file's bytes for an icon of any size (the program only writes 32 x 32).
// The icon's colour is taken as it stands (alpha ignored); its mask gives the
// AND bits.
std::vector<std::uint8_t> EncodeIconFile(const IconImage& icon);

// Writes the icon file at path. The bytes go to a temporary file in the same
// folder that is renamed over path once complete, so no reader ever sees a
// half-written icon file and a failure leaves nothing behind.
// Raises Error: "Icon image is not valid" (empty icon), "Cannot create file %s",
// "Stream write error".
void WriteIconFile(const IconImage& icon, const std::string& path);

} // namespace glyphor
