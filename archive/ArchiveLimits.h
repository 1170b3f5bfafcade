#pragma once
// How far a walk through an archive may go. Archives come from anywhere, and
// a few hundred bytes can unpack to terabytes or nest without end, so every
// member is held to these limits before and while it is unpacked; what goes
// past one is skipped with its reason and the walk goes on where it can.

#include <cstdint>

namespace glyphor::archive {

struct ArchiveLimits {
    static constexpr std::uint64_t kMiB = std::uint64_t { 1 } << 20;

    // The largest member read into memory. Larger ones are skipped: no icon
    // source of the era comes near it, and it bounds the memory of a walk to
    // one such buffer per level of nesting.
    std::uint64_t memberBytes = 256 * kMiB;
    // All the bytes unpacked while walking one archive on disk, the archives
    // inside it included. The members from the one that crosses it on are
    // skipped, which bounds the time a walk can take.
    std::uint64_t totalBytes = 4096 * kMiB;
    // A member is taken for a bomb once it has unpacked more than
    // ratioFloor bytes at more than ratio times the archive bytes read for
    // it. Below the floor no ratio means harm: a blank disk image or a file
    // padded with zeros packs to next to nothing and is no danger to memory
    // or time. Only that member is left out; where the members behind it can
    // be reached only by unpacking it (a solid block, a compressed stream),
    // it is unpacked through without being kept, bounded by totalBytes.
    std::uint64_t ratio = 1000;
    std::uint64_t ratioFloor = 64 * kMiB;
    // The memory a decoder may ask for: the dictionary of LZMA and LZMA2 (7z,
    // xz), the model of PPMd (7z), the side streams of BCJ2 (7z). The common
    // packers ask for 64 MiB at their strongest settings; a few header bytes
    // can ask for 4 GiB, which the decoder would fill as it unpacks. It is
    // read from the archive before anything is unpacked, and an archive, or
    // the rest of a stream, that asks for more is skipped. It is shared along
    // the nesting: an archive inside another gets what the decoders of the
    // archives around it and the archives held in memory leave of it.
    // Together with one member buffer this keeps a walk within about
    // 1.25 GiB however the archives are made.
    std::uint64_t decoderBytes = 1024 * kMiB;
    // Archives inside archives: the archive on disk is level 1, one inside it
    // level 2, and so on; an archive below the last level is skipped.
    int depth = 3;
};

} // namespace glyphor::archive
