#pragma once
// Files that the command-line tool writes for other programs (a PNG for a
// file manager, say) appear whole or not at all: the bytes go to a temporary
// name beside the target, which is renamed onto it only once everything is
// written. A failure leaves neither a half-written file nor a changed target,
// and a file that is replaced passes its permissions on.

#include <cstdint>
#include <span>
#include <string>

namespace glyphor::cli {

// Writes bytes to path (the system's bytes, as given on the command line).
// Raises Error "Cannot create file <path>: <reason>" when the temporary file
// cannot be made and "Stream write error: <path>: <reason>" when writing or
// renaming fails.
void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);

// The same for a file that must not replace anything: "Cannot create file
// <path>: File exists" when path is taken (by a file, a folder or a link),
// and nothing is left behind.
void WriteNewFile(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace glyphor::cli
