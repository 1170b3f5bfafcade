#pragma once
// Save Full Icon: an original group written as an icon file of the user's
// choosing. Like every file the program writes, it appears whole or not at
// all and never takes the place of anything that has the name already: a
// file picked in the file dialog that is there is refused, not replaced.

#include <QString>

#include <cstdint>
#include <span>

namespace glyphor {

// Writes the bytes as a new file at path. Raises Error "Cannot create file
// <path>: <the system's reason>" ("File exists" when the name is taken, by a
// file, a folder or a link) and "Stream write error: <path>: <reason>" when
// the bytes cannot be written; nothing is left behind then.
void WriteFullIconFile(const QString& path, std::span<const std::uint8_t> group);

} // namespace glyphor
