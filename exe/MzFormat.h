#pragma once
// The header that every executable of the system begins with, the one of its
// first, DOS, form. For the later forms (NE and PE) it is a stub whose one
// field of interest leads to the header of the real program.

#include "util/DiskRecord.h"

#include <cstdint>

namespace glyphor::exe {

inline constexpr std::uint16_t kMzMagic = 0x5A4D; // "MZ"

struct DosHeader {
    LeU16 magic; // kMzMagic
    std::uint8_t dosFields[58] {}; // the DOS program's layout, of no use here
    LeU32 newHeaderOffset; // where the NE or PE header starts
};
static_assert(sizeof(DosHeader) == 64);

} // namespace glyphor::exe
