#pragma once
// Files that the command-line tool writes for a user or another program (a
// PNG for a file manager, say). OUT is a new file: it appears whole or not at
// all (the bytes go to a temporary name beside it, which takes the name only
// once everything is written), and it never takes the place of anything that
// has the name already, a link included, even a dangling one. So a user's
// photo, the input itself or the target of a link are never written over.
// "-" stands for standard output.

#include <cstdint>
#include <span>
#include <string>

namespace glyphor::cli {

// What may be at OUT already.
enum class ExistingOutput {
    Refuse, // nothing: whatever has the name is refused
    // An empty regular file, which is filled: file managers make the file
    // before they call the thumbnailer. Still no link is followed, and a
    // file that is not empty is refused.
    FillIfEmpty,
};

// Writes bytes to path (the system's bytes, as given on the command line), or
// to standard output when path is "-". Raises Error "Cannot create file
// <path>: <reason>" when the file cannot be made or the name is taken ("File
// exists"), and "Stream write error: <path>: <reason>" when writing fails.
void WriteOutput(
    const std::string& path, std::span<const std::uint8_t> bytes, ExistingOutput existing);

// The same for a file that must not replace anything: "Cannot create file
// <path>: File exists" when path is taken (by a file, a folder or a link),
// and nothing is left behind.
void WriteNewFile(const std::string& path, std::span<const std::uint8_t> bytes);

// The two errors above, for a file at path (as given) and the system's
// reason.
[[noreturn]] void CannotCreate(const std::string& path, int error);
[[noreturn]] void CannotWrite(const std::string& path, int error);

} // namespace glyphor::cli
