#pragma once
// Which files are opened as archives, told by the name alone (ASCII letters
// in any case), so that a walk through a folder decides without reading.
//
// Read as archives: .zip .7z .cab .lzh .lha .rar .tar .tgz .tar.gz .tbz .tbz2
// .tar.bz2 .txz .tar.xz .tzst .tar.zst .cpio .iso and .ar. A static library
// (.a) is an ar archive too, but it holds object files and never a program,
// and software of the era ships many of them beside its tools: it is left
// alone.
//
// A self-extracting archive is a program (.exe) with the archive appended.
// It is harvested as a program, and also opened as an archive by a caller
// that asks for it; one that turns out to be no archive is passed quietly.

#include <string_view>

namespace glyphor::archive {

// True when the name (or a path ending in it) says archive.
bool IsArchiveName(std::string_view name);

// True for a program that may carry an archive: an .exe.
bool IsSelfExtractingName(std::string_view name);

} // namespace glyphor::archive
