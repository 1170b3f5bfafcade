#pragma once
// Why a member, an archive or the rest of one was left out of a walk, in the
// words the lists of skipped icons show. Where the archive library gave a
// reason it follows the program's own words.

#include "archive/ArchiveLimits.h"

#include <cstdint>
#include <string>

namespace glyphor::archive {

// "256 MiB", "4 GiB", "1500 bytes": a limit as people read it.
std::string SizeText(std::uint64_t bytes);

std::string NotAnArchiveText(const std::string& reason);
std::string CannotOpenText(int error);
// Nothing after this point could be read.
std::string ArchiveDamagedText(const std::string& reason);
// This member could not be read; those after it were read on.
std::string MemberDamagedText(const std::string& reason);
std::string EncryptedText();
std::string TooLargeText(const ArchiveLimits& limits);
std::string TotalExceededText(const ArchiveLimits& limits);
// restSkipped: the member lies in a solid block or a compressed stream, so
// that the members after it cannot be reached without unpacking it.
std::string RatioExceededText(const ArchiveLimits& limits, bool restSkipped);
std::string NestedTooDeepText(const ArchiveLimits& limits);
// A decoder asks for needed bytes of memory, more than allowed (less than
// the limit inside other archives, which use some of it); restSkipped: it
// was met in the middle of a stream, whose rest is skipped with it.
std::string DecoderTooLargeText(
    const ArchiveLimits& limits, std::uint64_t needed, std::uint64_t allowed, bool restSkipped);

} // namespace glyphor::archive
