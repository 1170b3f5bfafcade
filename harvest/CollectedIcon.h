#pragma once
// One icon a merge takes from the temporary folder: the file it is in, and
// what the catalogue knows of the capture.

#include "catalogue/CatalogueRecords.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace glyphor {

// Where a capture came from, as the catalogue records it.
struct CaptureSource {
    std::string file; // the system's bytes
    std::string member;
    int index = 0;
    catalogue::GroupName group;
    std::int64_t time = 0;
    // The original group, stored in the catalogue already.
    std::optional<catalogue::IconHash> originalHash;
};

struct CollectedIcon {
    // Its file in the temporary folder.
    QString name;
    // Its record in the catalogue, for a capture of this run that has one;
    // nothing for an icon an earlier run left (found by its name and bytes)
    // or one collected while no catalogue was kept.
    std::optional<catalogue::CaptureId> id;
    // A capture equal in every byte to one collected before it shares that
    // one's file instead of taking a name of its own; it is recorded in the
    // catalogue once the merge has decided what becomes of it.
    std::shared_ptr<const CaptureSource> shared;
};

} // namespace glyphor
