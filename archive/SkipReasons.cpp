#include "archive/SkipReasons.h"

#include <cstring>

namespace glyphor::archive {

namespace {

// The library's reason, or the program's own where it gave none (a 7z cut
// short loses the directory at its end and the library says nothing more).
std::string Reason(const std::string& reason)
{
    return reason.empty() ? std::string("damaged or cut short") : reason;
}

} // namespace

std::string SizeText(std::uint64_t bytes)
{
    constexpr std::uint64_t kKiB = 1024;
    for (const auto& [unit, name] : { std::pair { kKiB * kKiB * kKiB, " GiB" },
             std::pair { kKiB * kKiB, " MiB" }, std::pair { kKiB, " KiB" } })
        if (bytes >= unit && bytes % unit == 0)
            return std::to_string(bytes / unit) + name;
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

std::string NotAnArchiveText(const std::string& reason)
{
    return "Not an archive: " + Reason(reason);
}

std::string CannotOpenText(int error)
{
    return std::string("Cannot open the archive: ") + std::strerror(error);
}

std::string ArchiveDamagedText(const std::string& reason)
{
    return "Archive damaged from here on, the rest of it skipped: " + Reason(reason);
}

std::string MemberDamagedText(const std::string& reason)
{
    return "Damaged: " + Reason(reason);
}

std::string EncryptedText()
{
    return "Encrypted: no password is known";
}

std::string TooLargeText(const ArchiveLimits& limits)
{
    return "Larger than " + SizeText(limits.memberBytes) + " unpacked";
}

std::string TotalExceededText(const ArchiveLimits& limits)
{
    return "The archive unpacks to more than " + SizeText(limits.totalBytes)
        + " in all; this member and the rest skipped";
}

std::string RatioExceededText(const ArchiveLimits& limits, bool restSkipped)
{
    std::string text = "Compressed more than " + std::to_string(limits.ratio)
        + ":1, taken for a decompression bomb";
    if (restSkipped)
        text += "; the members behind it in the archive skipped";
    return text;
}

std::string NestedTooDeepText(const ArchiveLimits& limits)
{
    return "An archive nested more than " + std::to_string(limits.depth) + " deep";
}

std::string DecoderTooLargeText(
    const ArchiveLimits& limits, std::uint64_t needed, std::uint64_t allowed, bool restSkipped)
{
    // Whole MiB: a decoder asks for its dictionary and a few KiB besides.
    constexpr std::uint64_t kMiB = ArchiveLimits::kMiB;
    std::string text = "Unpacking it needs " + SizeText((needed + kMiB / 2) / kMiB * kMiB)
        + " of memory for its dictionary, more than the ";
    text += allowed >= limits.decoderBytes
        ? SizeText(limits.decoderBytes) + " allowed"
        : SizeText(allowed / kMiB * kMiB) + " left beside the archives around it";
    if (restSkipped)
        text += "; the rest of the archive skipped";
    return text;
}

} // namespace glyphor::archive
