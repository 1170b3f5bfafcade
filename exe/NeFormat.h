#pragma once
// The records of a 16-bit NE executable that lead to its resources: the NE
// header at the DOS header's newHeaderOffset, and the resource table, which
// holds an alignment shift and then, type by type, a type record followed by
// one record per resource of that type, up to a type id of 0.

#include "util/DiskRecord.h"

#include <cstddef>
#include <cstdint>

namespace glyphor::exe {

inline constexpr std::uint16_t kNeMagic = 0x454E; // "NE"

struct NeHeader {
    LeU16 magic; // kNeMagic
    std::uint8_t linkerVersion {};
    std::uint8_t linkerRevision {};
    LeU16 entryTableOffset;
    LeU16 entryTableLength;
    LeU32 crc;
    LeU16 flags;
    LeU16 autoDataSegment;
    LeU16 heapSize;
    LeU16 stackSize;
    LeU32 csIp;
    LeU32 ssSp;
    LeU16 segmentCount;
    LeU16 moduleReferenceCount;
    LeU16 nonResidentNamesSize;
    // The offsets of the tables, counted from this header.
    LeU16 segmentTableOffset;
    LeU16 resourceTableOffset;
    LeU16 residentNamesOffset; // the table after the resource table
    LeU16 moduleReferenceOffset;
    LeU16 importedNamesOffset;
    LeU32 nonResidentNamesOffset; // counted from the start of the file
    LeU16 movableEntryCount;
    LeU16 segmentAlignmentShift;
    LeU16 resourceSegmentCount;
    std::uint8_t targetOs {};
    std::uint8_t otherFlags {};
    LeU16 fastLoadOffset;
    LeU16 fastLoadLength;
    LeU16 minimumCodeSwapSize;
    LeU16 expectedWindowsVersion;
};
static_assert(sizeof(NeHeader) == 64);
static_assert(offsetof(NeHeader, resourceTableOffset) == 0x24);

// The start of the resource table: offsets and lengths of the resources are
// counted in units of 1 << alignmentShift bytes.
struct NeResourceTableHeader {
    LeU16 alignmentShift;
};
static_assert(sizeof(NeResourceTableHeader) == 2);

// A resource type: its id and the number of NeNameInfo records that follow.
struct NeTypeInfo {
    static constexpr std::uint16_t kIntegerId = 0x8000;

    LeU16 typeId; // 0 ends the table; with kIntegerId a number, else a name's offset
    LeU16 count;
    LeU32 reserved;
};
static_assert(sizeof(NeTypeInfo) == 8);

// The types that hold icons, as the type ids of an NE file give them: the
// images, and the group directories that list the images of one icon.
inline constexpr std::uint16_t kNeIconType = NeTypeInfo::kIntegerId | 3;
inline constexpr std::uint16_t kNeGroupIconType = NeTypeInfo::kIntegerId | 14;

// One resource.
struct NeNameInfo {
    LeU16 offset; // in alignment units
    LeU16 length; // in alignment units
    LeU16 flags;
    LeU16 id; // with NeTypeInfo::kIntegerId a number, else a name's offset
    LeU16 handle;
    LeU16 usage;
};
static_assert(sizeof(NeNameInfo) == 12);

} // namespace glyphor::exe
