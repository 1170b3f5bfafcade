#pragma once
// The memory the decoders of a 7z archive ask for, read from its header
// before the archive library unpacks anything of it. The library takes a
// coder's dictionary (LZMA, LZMA2), model (PPMd) or side streams (BCJ2) as
// the header declares them and fills them as it unpacks, so that a few bytes
// can make it use gigabytes. The header is itself most often packed (with
// LZMA): its own coder is checked first, and it is unpacked here to read the
// coders of the members' folders.

#include "archive/ArchiveSource.h"

#include <cstdint>
#include <string>

namespace glyphor::archive {

struct SevenZipDecoders {
    enum class Found {
        // No 7z: neither at the start nor behind a program, where
        // self-extracting archives keep theirs.
        None,
        // memory holds the most any one decoder asks for.
        Read,
        // memory holds what a decoder asks for past the allowance.
        TooLarge,
        // The header could not be read; reason says why.
        Unreadable,
    };
    Found found = Found::None;
    std::uint64_t memory = 0;
    std::string reason;

    // Reads from the source wherever it needs to; its position moves. A
    // header larger than largestHeader is not read into memory.
    static SevenZipDecoders Read(
        ArchiveSource& source, std::uint64_t allowance, std::uint64_t largestHeader);
};

} // namespace glyphor::archive
