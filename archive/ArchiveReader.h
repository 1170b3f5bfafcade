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

#include "archive/ArchiveSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

struct archive;

namespace glyphor::archive {

class ArchiveReader {
public:
    explicit ArchiveReader(std::unique_ptr<ArchiveSource> source);
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    enum class Opened { Archive, NotAnArchive, Damaged };
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

private:
    struct Callbacks;

    ::archive* m_archive = nullptr;
    std::unique_ptr<ArchiveSource> m_source;
    Member m_member;
    std::uint64_t m_consumed = 0;
    // Seeks made by the library, and where the last one went: a read that
    // seeks (a 7z member whose packed bytes lie elsewhere) counts what it
    // consumed from there on.
    std::uint64_t m_seeks = 0;
    std::uint64_t m_lastSeek = 0;
};

} // namespace glyphor::archive
