#pragma once
// The records of a PE32 or PE32+ executable that lead to its resources: the
// signature and file header at the DOS header's newHeaderOffset, the optional
// header in its two sizes with the table of data directories after it, the
// section table, and the resource tree of directories, their entries and the
// data entries at its leaves.

#include "util/DiskRecord.h"

#include <cstddef>
#include <cstdint>

namespace glyphor::exe {

inline constexpr std::uint32_t kPeMagic = 0x00004550; // "PE\0\0"

struct PeSignature {
    LeU32 magic; // kPeMagic
};
static_assert(sizeof(PeSignature) == 4);

// The file header (COFF header) after the signature.
struct CoffFileHeader {
    LeU16 machine;
    LeU16 numberOfSections;
    LeU32 timeDateStamp;
    LeU32 pointerToSymbolTable;
    LeU32 numberOfSymbols;
    LeU16 sizeOfOptionalHeader; // data directories included
    LeU16 characteristics;
};
static_assert(sizeof(CoffFileHeader) == 20);

// The optional header's first field says which of the two layouts follows.
inline constexpr std::uint16_t kPe32Magic = 0x10B;
inline constexpr std::uint16_t kPe32PlusMagic = 0x20B;

// The optional header of a PE32 file, up to its table of data directories.
struct OptionalHeader32 {
    LeU16 magic; // kPe32Magic
    std::uint8_t majorLinkerVersion {};
    std::uint8_t minorLinkerVersion {};
    LeU32 sizeOfCode;
    LeU32 sizeOfInitializedData;
    LeU32 sizeOfUninitializedData;
    LeU32 addressOfEntryPoint;
    LeU32 baseOfCode;
    LeU32 baseOfData;
    LeU32 imageBase;
    LeU32 sectionAlignment;
    LeU32 fileAlignment;
    LeU16 majorOperatingSystemVersion;
    LeU16 minorOperatingSystemVersion;
    LeU16 majorImageVersion;
    LeU16 minorImageVersion;
    LeU16 majorSubsystemVersion;
    LeU16 minorSubsystemVersion;
    LeU32 win32VersionValue;
    LeU32 sizeOfImage;
    LeU32 sizeOfHeaders;
    LeU32 checkSum;
    LeU16 subsystem;
    LeU16 dllCharacteristics;
    LeU32 sizeOfStackReserve;
    LeU32 sizeOfStackCommit;
    LeU32 sizeOfHeapReserve;
    LeU32 sizeOfHeapCommit;
    LeU32 loaderFlags;
    LeU32 numberOfRvaAndSizes; // data directories that follow
};
static_assert(sizeof(OptionalHeader32) == 96);
static_assert(offsetof(OptionalHeader32, numberOfRvaAndSizes) == 92);

// The optional header of a PE32+ file, up to its table of data directories:
// no baseOfData, and 64-bit image base and stack and heap sizes.
struct OptionalHeader64 {
    LeU16 magic; // kPe32PlusMagic
    std::uint8_t majorLinkerVersion {};
    std::uint8_t minorLinkerVersion {};
    LeU32 sizeOfCode;
    LeU32 sizeOfInitializedData;
    LeU32 sizeOfUninitializedData;
    LeU32 addressOfEntryPoint;
    LeU32 baseOfCode;
    LeU64 imageBase;
    LeU32 sectionAlignment;
    LeU32 fileAlignment;
    LeU16 majorOperatingSystemVersion;
    LeU16 minorOperatingSystemVersion;
    LeU16 majorImageVersion;
    LeU16 minorImageVersion;
    LeU16 majorSubsystemVersion;
    LeU16 minorSubsystemVersion;
    LeU32 win32VersionValue;
    LeU32 sizeOfImage;
    LeU32 sizeOfHeaders;
    LeU32 checkSum;
    LeU16 subsystem;
    LeU16 dllCharacteristics;
    LeU64 sizeOfStackReserve;
    LeU64 sizeOfStackCommit;
    LeU64 sizeOfHeapReserve;
    LeU64 sizeOfHeapCommit;
    LeU32 loaderFlags;
    LeU32 numberOfRvaAndSizes; // data directories that follow
};
static_assert(sizeof(OptionalHeader64) == 112);
static_assert(offsetof(OptionalHeader64, numberOfRvaAndSizes) == 108);

// One entry of the table of data directories.
struct DataDirectory {
    LeU32 virtualAddress;
    LeU32 size;
};
static_assert(sizeof(DataDirectory) == 8);

// The resource tree's place in the table of data directories.
inline constexpr std::uint32_t kResourceDirectoryIndex = 2;

// The resource types that hold icons: the images, and the group directories
// that list the images of one icon.
inline constexpr std::uint16_t kIconResourceType = 3;
inline constexpr std::uint16_t kGroupIconResourceType = 14;

struct SectionHeader {
    std::uint8_t name[8] {};
    LeU32 virtualSize;
    LeU32 virtualAddress;
    LeU32 sizeOfRawData;
    LeU32 pointerToRawData;
    LeU32 pointerToRelocations;
    LeU32 pointerToLinenumbers;
    LeU16 numberOfRelocations;
    LeU16 numberOfLinenumbers;
    LeU32 characteristics;
};
static_assert(sizeof(SectionHeader) == 40);

// A directory of the resource tree; its entries follow it, named ones first.
struct ResourceDirectory {
    LeU32 characteristics;
    LeU32 timeDateStamp;
    LeU16 majorVersion;
    LeU16 minorVersion;
    LeU16 numberOfNamedEntries;
    LeU16 numberOfIdEntries;
};
static_assert(sizeof(ResourceDirectory) == 16);

// One entry of a resource directory. Offsets count from the tree's root.
struct ResourceDirectoryEntry {
    static constexpr std::uint32_t kHighBit = 0x80000000u;

    LeU32 name; // high bit: offset of a name string; else the id
    LeU32 target; // high bit: offset of a subdirectory; else of a data entry

    bool named() const { return (name & kHighBit) != 0; }
    bool subdirectory() const { return (target & kHighBit) != 0; }
    std::uint32_t offset() const { return target & ~kHighBit; }
    std::uint16_t id() const { return static_cast<std::uint16_t>(name); }
};
static_assert(sizeof(ResourceDirectoryEntry) == 8);

// A leaf of the resource tree: where one resource's bytes lie.
struct ResourceDataEntry {
    LeU32 dataRva;
    LeU32 size;
    LeU32 codePage;
    LeU32 reserved;
};
static_assert(sizeof(ResourceDataEntry) == 16);

} // namespace glyphor::exe
