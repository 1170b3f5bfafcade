#pragma once
// One icon a merge takes from the temporary folder: the file it is in, and
// its record in the catalogue.

#include "catalogue/CatalogueRecords.h"

#include <QString>

#include <optional>

namespace glyphor {

struct CollectedIcon {
    // Its file in the temporary folder.
    QString name;
    // Its record in the catalogue, for a capture of this run that has one;
    // nothing for an icon an earlier run left (found by its name and bytes)
    // or one collected while no catalogue was kept.
    std::optional<catalogue::CaptureId> id;
    // A capture equal in every byte to one collected before it shares that
    // one's file instead of taking a name of its own: the merge compares
    // and copies it as its own, and leaves the file to the one it belongs to.
    bool sharesFile = false;
};

} // namespace glyphor
