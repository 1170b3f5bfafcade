#pragma once
// A walk through one archive: its members in the order the archive holds
// them, archives inside it walked where they lie, every member's bytes read
// into memory and handed to a visitor, nothing ever written to disk.
//
//     struct Harvest : ArchiveVisitor {
//         bool wants(const MemberPath& p) override { return IsIconSource(p.name()); }
//         void member(const MemberPath& p, std::span<const std::uint8_t> b) override { ... }
//         void skipped(const MemberPath& p, const std::string& why) override { ... }
//         bool stopRequested() override { return stop; }
//     } harvest;
//     ArchiveWalker(harvest).walkFile(path);
//
// A member that goes past a limit (ArchiveLimits), is encrypted or damaged,
// or an archive nested too deep, is skipped and reported with its reason; the
// walk goes on with the next member wherever the archive lets it. Damage that
// leaves nothing more to read ends the walk of that archive after reporting
// it, with every member before it delivered. An archive whose decoders ask
// for more memory than is allowed is skipped before anything of it is
// unpacked, or, where a stream asks for it further on, from there. Memory is
// bounded by the decoders' allowance and one member buffer.
//
// The ratio check measures a member by the archive bytes the library consumed
// while the member's bytes came out. In a solid block (7z, rar) or a
// compressed stream (tar.gz) that is the stretch of the packed stream read
// while the member was unpacked: a member's fair share of a stream that is
// not cut into members. Bytes read ahead for the member before it count for
// that one, which the floor covers.
//
// Where passing over a member means unpacking it (see
// ArchiveReader::passingOverUnpacks), the walk unpacks it itself rather than
// leave it to the library, so that the members nobody wants count towards
// the total, and a member left out for its size or its ratio is read through
// the same way, so that the members behind it are still reached.

#include "archive/ArchiveLimits.h"
#include "archive/ArchiveNames.h"
#include "archive/MemberPath.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace glyphor::archive {

class ArchiveReader;
class ArchiveSource;

class ArchiveVisitor {
public:
    virtual ~ArchiveVisitor() = default;

    // Whether a member's bytes are wanted (the kinds of files harvested).
    // Asked once for every file of an archive, folders and links left out,
    // before anything of it is read.
    virtual bool wants(const MemberPath& path) = 0;
    // Whether a member whose name does not say archive (IsArchiveName) is
    // opened as one too, after it has been delivered; quietly passed when it
    // is none. By default self-extracting archives: .exe members.
    virtual bool triesAsArchive(const MemberPath& path)
    {
        return IsSelfExtractingName(path.name());
    }
    // A wanted member's exact bytes, valid during the call only.
    virtual void member(const MemberPath& path, std::span<const std::uint8_t> bytes) = 0;
    // A member, an archive or the rest of one that was left out, and why, in
    // words for the user (SkipReasons.h).
    virtual void skipped(const MemberPath& path, const std::string& reason) = 0;
    // Asked before every member and every 16 MiB within one; true ends the
    // walk there.
    virtual bool stopRequested() { return false; }
};

enum class WalkEnd {
    // No archive of a format read here; reported as skipped only when its
    // name says archive.
    NotAnArchive,
    // The file could not be opened (reported only when its name says
    // archive, as above).
    Unreadable,
    // Walked to its end or as far as it could be read; every member left out
    // was reported.
    Walked,
    // stopRequested() said so.
    Stopped,
};

class ArchiveWalker {
public:
    explicit ArchiveWalker(ArchiveVisitor& visitor, ArchiveLimits limits = {});
    ~ArchiveWalker();
    ArchiveWalker(const ArchiveWalker&) = delete;
    ArchiveWalker& operator=(const ArchiveWalker&) = delete;

    // The archive at path (the system's bytes), opened only when it is a
    // regular file and without waiting on it. Each call is a walk of its own
    // with its own total.
    WalkEnd walkFile(const std::string& path);
    // The same for name in the open folder folderFd; path names it in what
    // is reported.
    WalkEnd walkFileAt(int folderFd, const std::string& name, const std::string& path);
    // An archive already in memory, named name in what is reported.
    WalkEnd walkBytes(const std::string& name, std::span<const std::uint8_t> bytes);

    const ArchiveLimits& limits() const { return m_limits; }

private:
    enum class Flow;
    enum class ReadEnd;

    // The archive on disk or the one handed in: level 1, a total of its own.
    WalkEnd walkTop(std::unique_ptr<ArchiveSource> source, const MemberPath& path, bool named);
    // One archive at level (1 on disk); named: its name says archive, so
    // that finding it none or damaged is reported. Its decoders may ask for
    // decoderAllowance bytes at most.
    Flow walkSource(std::unique_ptr<ArchiveSource> source, const MemberPath& path, int level,
        bool named, std::uint64_t decoderAllowance);
    Flow walkMembers(ArchiveReader& reader, const MemberPath& path, int level, bool named);
    Flow walkMember(ArchiveReader& reader, const MemberPath& path, int level);
    // Goes past the current member without delivering it.
    Flow passOver(ArchiveReader& reader, const MemberPath& path);
    // Reads the rest of the current member into keep, or only through it
    // when keep is null.
    ReadEnd read(ArchiveReader& reader, std::vector<std::uint8_t>* keep);
    // What a read that did not complete means for the walk; reported tells
    // whether a member nobody asked for is named in the reports.
    Flow afterRead(ReadEnd end, ArchiveReader& reader, const MemberPath& path, bool reported);
    bool ratioExceeded(std::uint64_t produced, std::uint64_t consumed) const;
    // Why the reader's decoder was refused.
    std::string refusedText(const ArchiveReader& reader, bool restSkipped) const;

    ArchiveVisitor& m_visitor;
    ArchiveLimits m_limits;
    // Bytes unpacked since the walk began.
    std::uint64_t m_total = 0;
    std::vector<std::uint8_t> m_scratch;
};

} // namespace glyphor::archive
