#pragma once
// What the commands share in reading their arguments and reporting their
// failures. Paths on the command line are the system's bytes, exactly as typed.

#include <functional>
#include <optional>
#include <string>

namespace glyphor::cli {

// The path as people read it in a message: undecodable bytes shown as \xHH.
std::string Shown(const std::string& path);

// A field of the tab-separated lists (sources, catalogue) as its bytes, with
// a backslash, tab, newline and carriage return written \\, \t, \n and \r,
// so that each record stays one line of a fixed number of fields.
std::string TabField(const std::string& bytes);

// Raises Error "<path>: <the system's reason>" when path cannot be read as a
// file: missing, unreadable, or a folder. The commands check their input with
// this first, so that a wrong name is never taken for a file without icons.
void RequireReadableFile(const std::string& path);

// Raises Error "<path>: not a Windows executable or icon file" when the
// file's content is none of those: a command that takes one file says so
// rather than finding no icons in it.
void RequireIconSource(const std::string& path);

// The error for an INDEX argument that is not a whole number.
std::string NotAnIndexText(const std::string& text);

// A whole decimal number, sign allowed, nothing else around it.
std::optional<int> ParseWholeNumber(const std::string& text);

// Runs a command's work: an Error it raises is printed on stderr, and the
// status is 1; otherwise 0.
int RunReportingErrors(const std::function<void()>& work);

} // namespace glyphor::cli
