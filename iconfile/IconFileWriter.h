#pragma once
// The one writer of icon files: one image, 4 bits per pixel with the 16-colour
// table, and a one-bit mask; 766 bytes for the 32 x 32 icons of the program.

#include "iconfile/IconImage.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace glyphor::files {
class Folder;
}

namespace glyphor {

// The file's bytes for an icon of any size (the program only writes 32 x 32).
// The icon's colour is taken as it stands (alpha ignored); its mask gives the
// AND bits.
std::vector<std::uint8_t> EncodeIconFile(const IconImage& icon);

// Writes the icon file under a name that nothing has yet, the first that
// nextName gives. The bytes go to a hidden temporary file in that name's
// folder, which takes the name once complete and never replaces anything: when
// another file has taken the name meanwhile, the file takes the next name that
// nextName gives instead (nextName gives nothing when there is none). So no
// reader ever sees a half-written icon file, and a failure leaves nothing
// behind. Returns the name taken. nextName may raise; nothing is left then
// either.
// Raises Error: "Icon image is not valid" (empty icon), "Cannot create file %s"
// and "Stream write error", each followed by the path and the system's reason.
std::string WriteNewIconFile(
    const IconImage& icon, const std::function<std::optional<std::string>()>& nextName);

// The same in a folder held open: nextName gives names in it. beforePlacing,
// when given, is called with the file's bytes and the name it is about to
// take once it is written in full, before it takes any name: whatever must be
// recorded of a file before it exists is recorded there. It may raise, and
// nothing is left then. Messages name the file by folder's path and name.
std::string WriteNewIconFileIn(const IconImage& icon, const files::Folder& folder,
    const std::function<std::optional<std::string>()>& nextName,
    const std::function<void(std::span<const std::uint8_t>, const std::string&)>& beforePlacing
    = {});

// The same at path, which must not exist: "Cannot create file %s: File exists"
// otherwise.
void WriteIconFile(const IconImage& icon, const std::string& path);

} // namespace glyphor
