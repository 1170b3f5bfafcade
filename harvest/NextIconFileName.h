#pragma once
// Naming of icon files: "Icon" + four digits + ".ico", the first free one at
// or above IconCounter. A destination folder has room beyond the four digits:
// once Icon0000.ico to Icon9999.ico all exist, its names go on with the
// number in full, Icon10000.ico, Icon10001.ico and so on, the first free one
// from 10000 (or from the counter, when it has passed 10000) up. A harvest's
// Temp folder keeps to the four digits: when they are all taken, the harvest
// merges what it has collected and goes on.

#include "util/Error.h"

#include <QString>

#include <bitset>
#include <cstdint>
#include <optional>
#include <set>

namespace glyphor::files {
class Folder;
}

namespace glyphor {

// The four digits of a counter value: the last four characters of "0000"
// followed by its decimal form without sign (10000 gives "0000", 12345 "2345").
QString IconNumberDigits(std::int32_t value);

// Which names a folder's icon files may take.
enum class IconNameRoom {
    // Icon0000.ico to Icon9999.ico only (a harvest's Temp).
    FourDigits,
    // Those while any is free, then Icon10000.ico and up (a destination).
    Unbounded,
};

// The number an icon file's name carries, for the names the program gives:
// "Icon" + four digits + ".ico", or "Icon" + a number from 10000 up, without
// leading zeros, + ".ico". Nothing for any other name.
std::optional<std::int64_t> IconFileNumber(const QString& name);

// The names of a folder known to be taken, so that a large folder's next
// free name is found without asking the system about every name before it.
// It is a hint: a name it holds free is still looked at on disk.
class TakenIconNames {
public:
    void clear();
    // A name that something in the folder has; names that are not icon
    // files' names are of no interest and left out.
    void add(const QString& name);
    void add(std::int64_t number);
    bool has(std::int64_t number) const;
    bool fourDigitsFull() const { return m_fourTaken == m_fourDigits.size(); }

private:
    std::bitset<10000> m_fourDigits;
    std::size_t m_fourTaken = 0;
    std::set<std::int64_t> m_beyond; // numbers from 10000 up
};

// The full path of the first name for an icon file in folder, counting
// upward from IconCounter, for which no file exists (a folder of that name
// does not count), by the room of a destination. Leaves IconCounter one past
// the number returned. Creates nothing, so two calls without a file written
// in between give different names.
QString NextIconFileName(const QString& folder);
// The same for a folder held open; the name alone. taken, when given, is
// what is known of the folder already, and learns what the search finds.
// In a folder of room FourDigits whose 10000 names all exist, raises
// ENoFreeIconName instead of searching forever, and leaves IconCounter as
// it was.
QString NextIconFileNameIn(const files::Folder& folder, IconNameRoom room = IconNameRoom::Unbounded,
    TakenIconNames* taken = nullptr);

class ENoFreeIconName : public Error {
public:
    using Error::Error;
};

} // namespace glyphor
