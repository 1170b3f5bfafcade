// Icon count, every icon, every group rebuilt as a file (icons and cursors)
// and the thumbnail of arbitrary bytes taken as an executable or an icon
// file: whatever the bytes, all finish without reading outside them.

#include "exe/IconExtractor.h"
#include "exe/Thumbnail.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    const glyphor::exe::IconSource source(bytes);
    // Hostile tables can claim tens of thousands of groups; the first few
    // hundred exercise every path without turning one input into minutes.
    const int n = std::min(source.count(), 256);
    for (int i = 0; i < n; ++i) {
        (void)source.icon(i);
        (void)source.groupName(i);
        (void)source.originalGroup(i);
    }
    (void)source.icon(-1);
    (void)source.icon(n);
    // The same bytes read for their cursors, as extract --cursors reads them.
    const glyphor::exe::IconSource cursors(bytes, glyphor::exe::GroupKind::Cursor);
    for (int i = 0; i < std::min(cursors.count(), 256); ++i) {
        (void)cursors.groupName(i);
        (void)cursors.originalGroup(i);
    }
    // The thumbnailer runs on whatever a user downloads: a small, a middling
    // and a size larger than any image, so that each branch of the choice runs.
    for (const int size : { 16, 48, 1024 })
        (void)glyphor::exe::MakeThumbnail(bytes, size);
    return 0;
}
