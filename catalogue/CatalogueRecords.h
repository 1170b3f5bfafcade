#pragma once
// What the catalogue records of a capture and gives back, in the harvest's
// terms. Paths and names are the system's bytes, as the harvest holds them.

#include "catalogue/IconHash.h"
#include "util/GroupName.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace glyphor::catalogue {

// The icon group of an executable that a capture came from, by the number
// or the name of its resource; neither for an icon of a plain .ico file.
using glyphor::GroupName;

// What the merge did with a collected icon.
enum class Outcome {
    Waiting, // collected, not merged yet (in Temp, or a run was cut off)
    Placed, // copied into the destination as a file of its own
    Duplicate, // left out: the destination held the same icon
    Discarded, // left out: the user chose to remove the rest
    Lost, // its collected file never came to be, or went away
};

// "waiting", "placed", ...: the words the catalogue stores and lists.
std::string_view OutcomeName(Outcome outcome);
std::optional<Outcome> OutcomeFromName(std::string_view name);

// One capture as the harvest hands it over, before its collected file takes
// its name.
struct CaptureRecord {
    std::string source; // the file the icon came from
    std::string member; // its path inside that archive; empty when not from one
    int index = 0; // the icon's index in the file (or in the member)
    GroupName group;
    std::int64_t time = 0; // seconds since 1970 UTC; 0 for now
    std::span<const std::uint8_t> iconFile; // the collected icon file's bytes
    // The group as a multi-image .ico file; empty when it is not known.
    std::span<const std::uint8_t> originalGroup;
    // The collected file's name relative to the destination folder:
    // "Temp/Icon0003.ico" for a scan, "Icon0012.ico" for Save Icon.
    std::string collected;
    // The group's hash, when the harvest has worked it out already.
    std::optional<IconHash> originalHash {};
    // For a member, its position in the archive ("7", or "2/7" for a member
    // of a member), which tells apart members of one name; empty otherwise.
    std::string memberPosition {};
};

// The catalogue's row of a capture.
using CaptureId = std::int64_t;

// One capture as the catalogue gives it back.
struct CatalogueEntry {
    std::int64_t time = 0;
    Outcome outcome = Outcome::Waiting;
    // The destination file it became (Placed) or duplicated (Duplicate);
    // the collected file's name for the others.
    std::string file;
    std::string source;
    std::string member;
    std::string memberPosition;
    int index = 0;
    GroupName group;
    IconHash iconHash {};
    std::optional<IconHash> originalHash {};
    std::int64_t originalSize = 0;
};

// The time as "2024-05-01T12:00:00Z".
std::string IsoTime(std::int64_t seconds);

} // namespace glyphor::catalogue
