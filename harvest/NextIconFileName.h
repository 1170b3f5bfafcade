#pragma once
// Naming of icon files: "Icon" + four digits + ".ico", the first free one at
// or above IconCounter.

#include "util/Error.h"

#include <QString>

#include <cstdint>

namespace glyphor::files {
class Folder;
}

namespace glyphor {

// The four digits of a counter value: the last four characters of "0000"
// followed by its decimal form without sign (10000 gives "0000", 12345 "2345").
QString IconNumberDigits(std::int32_t value);

// The full path of the first name "IconNNNN.ico" in folder, counting upward
// from IconCounter, for which no file exists (a folder of that name does not
// count). Leaves IconCounter one past the number returned. Creates nothing, so
// two calls without a file written in between give different names.
// When all 10000 names of the folder exist, raises ENoFreeIconName instead of
// searching forever, and leaves IconCounter as it was.
QString NextIconFileName(const QString& folder);
// The same for a folder held open; the name alone.
QString NextIconFileNameIn(const files::Folder& folder);

class ENoFreeIconName : public Error {
public:
    using Error::Error;
};

} // namespace glyphor
