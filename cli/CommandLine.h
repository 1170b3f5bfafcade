#pragma once
// What the commands share in reading their arguments and reporting their
// failures. Paths on the command line are the system's bytes, exactly as typed.

#include <functional>
#include <optional>
#include <string>

namespace glyphor::cli {

// The path as people read it in a message: undecodable bytes shown as \xHH.
std::string Shown(const std::string& path);

// Raises Error "<path>: <the system's reason>" when path cannot be read as a
// file: missing, unreadable, or a folder. The commands check their input with
// this first, so that a wrong name is never taken for a file without icons.
void RequireReadableFile(const std::string& path);

// A whole decimal number, sign allowed, nothing else around it.
std::optional<int> ParseWholeNumber(const std::string& text);

// Runs a command's work: an Error it raises is printed on stderr, and the
// status is 1; otherwise 0.
int RunReportingErrors(const std::function<void()>& work);

} // namespace glyphor::cli
