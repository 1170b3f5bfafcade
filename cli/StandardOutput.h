#pragma once
// Standard output as every command of the tool uses it: what a command
// prints is only said to be printed once it has reached the system, so that
// a full disk or a closed output turns into an error and a failing exit
// status rather than a silent loss (a script that reads a count, a path or a
// PNG from the tool must be able to tell that it got all of it).

#include <cstdint>
#include <span>

namespace glyphor::cli {

// Run first: a standard descriptor (0, 1 or 2) that the tool was started
// without is taken by the read end of an empty pipe. Otherwise the first file
// the command opens would get that number and take in what is printed, and a
// write to a closed standard output would seem to succeed; this way it fails
// as it would have ("Bad file descriptor").
void HoldStandardDescriptors();

// Writes bytes to standard output at once. Raises Error "Stream write error:
// standard output: <reason>" when the system does not take all of them.
void WriteStandardOutput(std::span<const std::uint8_t> bytes);

// Run last, with the command's exit status: flushes and closes standard
// output. A failure is told on stderr ("Stream write error: standard output:
// <reason>", unless WriteStandardOutput told it already) and
// turns a status of 0 into 1; any other status already says that the command
// failed and is kept, as its meaning is the more precise.
int FinishStandardOutput(int status);

} // namespace glyphor::cli
