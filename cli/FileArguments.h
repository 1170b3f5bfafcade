#pragma once
// Paths given on the command line: the system's bytes, exactly as typed.

#include <string>

namespace glyphor::cli {

// The path as people read it in a message: undecodable bytes shown as \xHH.
std::string Shown(const std::string& path);

// Raises Error "<path>: <the system's reason>" when path cannot be read as a
// file: missing, unreadable, or a folder. The commands check their input with
// this first, so that a wrong name is never taken for a file without icons.
void RequireReadableFile(const std::string& path);

} // namespace glyphor::cli
