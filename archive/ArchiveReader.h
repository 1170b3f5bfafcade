#pragma once
// One archive opened with the archive library over an ArchiveSource, and its
// members read one after another. It knows the library; the walk above it
// knows the limits. The formats read are exactly those the program promises:
// zip (self-extracting ones included), 7z, cab, lha/lzh, rar, tar, cpio, ar
// and ISO 9660, with tar and cpio also compressed with gzip, bzip2, xz or
// zstd. Nothing else is tried, so anything else is "not an archive" rather
// than a file that some other format happens to accept.
//
// Member names are taken as the archive stores them. Formats that store
// names as Unicode (7z, Joliet, zip's UTF-8 names) are converted to UTF-8
// whatever the process's locale; names stored as plain bytes stay those
// bytes, except in lzh archives, whose names are read in the DOS code page
// (437) and come out as UTF-8.
//
// The memory the decoders ask for is held to an allowance: a 7z's coders are
// read from its header before the library opens it (SevenZipDecoders), and
// an xz stream is unpacked here under that limit rather than by the library,
// which sets none (XzDecoder).

#include "archive/ArchiveSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

struct archive;

namespace glyphor::archive {

class XzDecoder;

class ArchiveReader {
public:
    // decoderAllowance: the most a decoder may ask for; largestHeader: the
    // largest header of its own that an archive may have read into memory
    // before the library opens it.
    ArchiveReader(std::unique_ptr<ArchiveSource> source, std::uint64_t decoderAllowance,
        std::uint64_t largestHeader);
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    enum class Opened {
        Archive,
        NotAnArchive,
        Damaged,
        // A decoder asks for more than the allowance (refusedDecoder()):
        // nothing of the archive is unpacked.
        DecoderTooLarge,
    };
    Opened open();

    struct Member {
        std::string name;
        // A file with bytes of its own: not a folder, a link or a second
        // name for a file met before.
        bool regular = false;
        bool encrypted = false;
        // As the archive declares it; not every format does before the bytes.
        std::optional<std::uint64_t> size;
    };
    enum class Next {
        Member,
        // A member whose header the library could read only in part, or
        // whose name it could not read; the members after it can still be
        // read, once this one has been passed over.
        MemberDamaged,
        End,
        // Nothing more can be read from the archive.
        Damaged,
    };
    Next next();
    const Member& member() const { return m_member; }

    // True when passing over the current member without reading it makes the
    // library unpack it all the same: inside a solid block (7z, cab, rar), in
    // a compressed stream (tar and cpio with gzip, bzip2, xz or zstd), or in
    // a zip member whose end is known only once it is unpacked. Elsewhere the
    // library seeks past it.
    bool passingOverUnpacks() const;

    enum class ReadState { Ok, MemberDamaged, ArchiveDamaged };
    struct Read {
        std::size_t count = 0; // 0 with Ok: the member has ended
        ReadState state = ReadState::Ok;
    };
    // Reads on in the current member's bytes.
    Read read(std::span<std::uint8_t> into);

    // The archive's own bytes consumed while members were read, counted
    // through every read so far: the measure of a member's compression ratio
    // is the change of this across its reads.
    std::uint64_t consumed() const { return m_consumed; }

    // The library's reason for the last failure; empty when it gave none.
    std::string reason() const;

    // What a decoder asked for past the allowance, once it has: at open(),
    // or where a stream goes on with a block that asks for more, which ends
    // what can be read (Next::Damaged, ReadState::ArchiveDamaged).
    std::optional<std::uint64_t> refusedDecoder() const;
    std::uint64_t decoderAllowance() const { return m_decoderAllowance; }
    // The memory the decoders of the archive may be using while the current
    // member is read, as far as it is known.
    std::uint64_t decoderMemory() const;

private:
    struct Callbacks;

    // The archive's own bytes consumed so far, by the library or, for xz,
    // by the decoder here.
    std::uint64_t packedPosition() const;

    ::archive* m_archive = nullptr;
    std::unique_ptr<ArchiveSource> m_source;
    std::uint64_t m_decoderAllowance = 0;
    std::uint64_t m_largestHeader = 0;
    std::unique_ptr<XzDecoder> m_xz;
    std::uint64_t m_sevenZipMemory = 0;
    std::optional<std::uint64_t> m_refused;
    // The reason of a failure found here, before the library was asked.
    std::string m_reason;
    Member m_member;
    std::uint64_t m_consumed = 0;
    // Seeks made by the library, and where the last one went: a read that
    // seeks (a 7z member whose packed bytes lie elsewhere) counts what it
    // consumed from there on.
    std::uint64_t m_seeks = 0;
    std::uint64_t m_lastSeek = 0;
};

} // namespace glyphor::archive
