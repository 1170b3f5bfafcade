#include "archive/ArchiveWalker.h"

#include "archive/ArchiveReader.h"
#include "archive/ArchiveSource.h"
#include "archive/SkipReasons.h"
#include "files/InputFile.h"

#include <algorithm>
#include <fcntl.h>

namespace glyphor::archive {

namespace {

// The unit of every read from the library.
constexpr std::size_t kChunk = std::size_t { 64 } * 1024;
// How often a long member asks whether to stop.
constexpr std::uint64_t kStopCheckBytes = 16 * ArchiveLimits::kMiB;
// Headers the library could not read, one after another, before the rest of
// the archive is given up: each is reported, and a damaged archive can hold
// any number of them.
constexpr int kMaxDamagedHeaders = 64;

// Room for the next chunk at the end of keep, which grows towards cap at most,
// so that a member never holds more than one buffer of that size.
std::span<std::uint8_t> Room(std::vector<std::uint8_t>& keep, std::size_t cap)
{
    const std::size_t at = keep.size();
    if (keep.capacity() < at + kChunk)
        keep.reserve(
            std::min(std::max(keep.capacity() * 2, at + kChunk), std::max(cap, at + kChunk)));
    keep.resize(at + kChunk);
    return std::span(keep).subspan(at);
}

} // namespace

enum class ArchiveWalker::Flow {
    Go, // on with the next member
    EndArchive, // on with the archive around this one
    EndAll, // the total is spent: nothing more of the archive on disk
    Stopped,
    NotAnArchive,
};

enum class ArchiveWalker::ReadEnd {
    Complete,
    TooLarge,
    RatioExceeded,
    TotalExceeded,
    MemberDamaged,
    ArchiveDamaged,
    Stopped,
};

ArchiveWalker::ArchiveWalker(ArchiveVisitor& visitor, ArchiveLimits limits)
    : m_visitor(visitor)
    , m_limits(limits)
    , m_scratch(kChunk)
{
}

ArchiveWalker::~ArchiveWalker() = default;

WalkEnd ArchiveWalker::walkFile(const std::string& path)
{
    return walkFileAt(AT_FDCWD, path, path);
}

WalkEnd ArchiveWalker::walkFileAt(int folderFd, const std::string& name, const std::string& path)
{
    const MemberPath top(path);
    const bool named = IsArchiveName(name);
    files::InputFile file = files::InputFile::openAt(folderFd, name);
    if (!file.ok()) {
        if (named)
            m_visitor.skipped(top, CannotOpenText(file.error()));
        return WalkEnd::Unreadable;
    }
    return walkTop(std::make_unique<FileArchiveSource>(std::move(file)), top, named);
}

WalkEnd ArchiveWalker::walkBytes(const std::string& name, std::span<const std::uint8_t> bytes)
{
    return walkTop(
        std::make_unique<MemoryArchiveSource>(bytes), MemberPath(name), IsArchiveName(name));
}

WalkEnd ArchiveWalker::walkTop(
    std::unique_ptr<ArchiveSource> source, const MemberPath& path, bool named)
{
    m_total = 0;
    switch (walkSource(std::move(source), path, 1, named, m_limits.decoderBytes)) {
    case Flow::NotAnArchive:
        return WalkEnd::NotAnArchive;
    case Flow::Stopped:
        return WalkEnd::Stopped;
    default:
        return WalkEnd::Walked;
    }
}

ArchiveWalker::Flow ArchiveWalker::walkSource(std::unique_ptr<ArchiveSource> source,
    const MemberPath& path, int level, bool named, std::uint64_t decoderAllowance)
{
    ArchiveReader reader(std::move(source), decoderAllowance, m_limits.memberBytes);
    switch (reader.open()) {
    case ArchiveReader::Opened::Archive:
        return walkMembers(reader, path, level, named);
    case ArchiveReader::Opened::DecoderTooLarge:
        // Named or not, it is an archive whose members are left out.
        m_visitor.skipped(path, refusedText(reader, false));
        return Flow::Go;
    case ArchiveReader::Opened::NotAnArchive:
        if (named)
            m_visitor.skipped(path, NotAnArchiveText(reader.reason()));
        return Flow::NotAnArchive;
    case ArchiveReader::Opened::Damaged:
        break;
    }
    // A program that some format's signature search took for a
    // self-extracting archive, but which is none, is only a program.
    if (!named)
        return Flow::NotAnArchive;
    m_visitor.skipped(path, ArchiveDamagedText(reader.reason()));
    return Flow::Go;
}

ArchiveWalker::Flow ArchiveWalker::walkMembers(
    ArchiveReader& reader, const MemberPath& path, int level, bool named)
{
    bool anyMember = false;
    int damagedHeaders = 0;
    std::size_t position = 0;
    for (;;) {
        if (m_visitor.stopRequested())
            return Flow::Stopped;
        switch (reader.next()) {
        case ArchiveReader::Next::End:
            return Flow::Go;
        case ArchiveReader::Next::Damaged:
            if (reader.refusedDecoder()) {
                m_visitor.skipped(path, refusedText(reader, anyMember));
                return Flow::Go;
            }
            // As when opening: no member at all from a program tried as an
            // archive says it is none.
            if (!anyMember && !named)
                return Flow::NotAnArchive;
            m_visitor.skipped(path, ArchiveDamagedText(reader.reason()));
            return Flow::Go;
        case ArchiveReader::Next::MemberDamaged: {
            anyMember = true;
            const MemberPath member = path.member(reader.member().name, ++position);
            m_visitor.skipped(member, MemberDamagedText(reader.reason()));
            if (++damagedHeaders == kMaxDamagedHeaders) {
                m_visitor.skipped(path, ArchiveDamagedText(reader.reason()));
                return Flow::Go;
            }
            const Flow flow = passOver(reader, member);
            if (flow == Flow::EndArchive)
                return Flow::Go;
            if (flow != Flow::Go)
                return flow;
            continue;
        }
        case ArchiveReader::Next::Member:
            anyMember = true;
            damagedHeaders = 0;
            break;
        }
        const Flow flow = walkMember(reader, path.member(reader.member().name, ++position), level);
        if (flow == Flow::EndArchive)
            return Flow::Go;
        if (flow != Flow::Go)
            return flow;
    }
}

ArchiveWalker::Flow ArchiveWalker::walkMember(
    ArchiveReader& reader, const MemberPath& path, int level)
{
    const ArchiveReader::Member member = reader.member();
    if (!member.regular)
        return passOver(reader, path);
    const bool named = IsArchiveName(member.name);
    const bool wanted = m_visitor.wants(path);
    const bool tried = !named && m_visitor.triesAsArchive(path);
    const bool tooDeep = level >= m_limits.depth;
    const bool opened = (named || tried) && !tooDeep;
    if (named && tooDeep)
        m_visitor.skipped(path, NestedTooDeepText(m_limits));
    if (!wanted && !opened)
        return passOver(reader, path);
    // A program read only to be tried as an archive is nobody's concern
    // until it turns out to be one.
    const bool reported = wanted || named;
    if (member.encrypted) {
        // The library can neither read it nor unpack it to pass over it, so
        // nothing of it is unpacked; where the members behind it cannot be
        // reached, the next header says so.
        if (reported)
            m_visitor.skipped(path, EncryptedText());
        return Flow::Go;
    }
    if (member.size && *member.size > m_limits.memberBytes) {
        if (reported)
            m_visitor.skipped(path, TooLargeText(m_limits));
        return passOver(reader, path);
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(
        static_cast<std::size_t>(std::min(member.size.value_or(0), m_limits.memberBytes)) + kChunk);
    const ReadEnd end = read(reader, &bytes);
    if (end != ReadEnd::Complete)
        return afterRead(end, reader, path, reported);
    if (wanted)
        m_visitor.member(path, bytes);
    if (opened) {
        // The archive inside is held in memory while the decoders of this
        // one keep theirs: what is left of the allowance is its own.
        const std::uint64_t held = reader.decoderMemory() + bytes.size();
        const std::uint64_t left
            = reader.decoderAllowance() - std::min(held, reader.decoderAllowance());
        const Flow flow = walkSource(
            std::make_unique<MemoryArchiveSource>(bytes), path, level + 1, named, left);
        if (flow == Flow::Stopped || flow == Flow::EndAll)
            return flow;
    }
    return Flow::Go;
}

ArchiveWalker::Flow ArchiveWalker::passOver(ArchiveReader& reader, const MemberPath& path)
{
    // Elsewhere the library seeks past it when asked for the next header.
    if (!reader.passingOverUnpacks())
        return Flow::Go;
    const ReadEnd end = read(reader, nullptr);
    return end == ReadEnd::Complete ? Flow::Go : afterRead(end, reader, path, false);
}

ArchiveWalker::ReadEnd ArchiveWalker::read(ArchiveReader& reader, std::vector<std::uint8_t>* keep)
{
    const bool passingOverUnpacks = reader.passingOverUnpacks();
    const std::uint64_t consumedBefore = reader.consumed();
    const std::size_t cap = static_cast<std::size_t>(m_limits.memberBytes) + kChunk;
    std::uint64_t produced = 0;
    std::uint64_t nextStopCheck = kStopCheckBytes;
    bool tooLarge = false;
    bool bomb = false;
    for (;;) {
        const std::span<std::uint8_t> into = keep ? Room(*keep, cap) : std::span(m_scratch);
        const ArchiveReader::Read got = reader.read(into);
        if (keep)
            keep->resize(keep->size() - into.size() + got.count);
        if (got.state == ArchiveReader::ReadState::MemberDamaged)
            return ReadEnd::MemberDamaged;
        if (got.state == ArchiveReader::ReadState::ArchiveDamaged)
            return ReadEnd::ArchiveDamaged;
        if (got.count == 0)
            return bomb ? ReadEnd::RatioExceeded
                        : (tooLarge ? ReadEnd::TooLarge : ReadEnd::Complete);
        produced += got.count;
        m_total += got.count;
        if (m_total > m_limits.totalBytes)
            return ReadEnd::TotalExceeded;
        // Only a member that is kept is measured: one that is only passed
        // over is read through in any case, and the total bounds it.
        if (keep && ratioExceeded(produced, reader.consumed() - consumedBefore)) {
            if (!passingOverUnpacks)
                return ReadEnd::RatioExceeded;
            // The members behind it are reached only through it: it is
            // read through without being kept, as a member too large is.
            bomb = true;
            std::vector<std::uint8_t>().swap(*keep);
            keep = nullptr;
        }
        if (keep && produced > m_limits.memberBytes) {
            // A member that did not declare its size, or declared a false
            // one. Its buffer goes at once; the rest of it is read through
            // only where the library would unpack it to pass over it anyway.
            tooLarge = true;
            std::vector<std::uint8_t>().swap(*keep);
            keep = nullptr;
            if (!passingOverUnpacks)
                return ReadEnd::TooLarge;
        }
        if (produced >= nextStopCheck) {
            if (m_visitor.stopRequested())
                return ReadEnd::Stopped;
            nextStopCheck += kStopCheckBytes;
        }
    }
}

ArchiveWalker::Flow ArchiveWalker::afterRead(
    ReadEnd end, ArchiveReader& reader, const MemberPath& path, bool reported)
{
    switch (end) {
    case ReadEnd::Complete:
        return Flow::Go;
    case ReadEnd::TooLarge:
        if (reported)
            m_visitor.skipped(path, TooLargeText(m_limits));
        return Flow::Go;
    case ReadEnd::MemberDamaged:
        if (reported)
            m_visitor.skipped(path, MemberDamagedText(reader.reason()));
        return Flow::Go;
    case ReadEnd::RatioExceeded:
        if (reported)
            m_visitor.skipped(path, RatioExceededText(m_limits, false));
        return Flow::Go;
    case ReadEnd::TotalExceeded:
        m_visitor.skipped(path, TotalExceededText(m_limits));
        return Flow::EndAll;
    case ReadEnd::ArchiveDamaged:
        m_visitor.skipped(path,
            reader.refusedDecoder() ? refusedText(reader, true)
                                    : ArchiveDamagedText(reader.reason()));
        return Flow::EndArchive;
    case ReadEnd::Stopped:
        return Flow::Stopped;
    }
    return Flow::Go;
}

bool ArchiveWalker::ratioExceeded(std::uint64_t produced, std::uint64_t consumed) const
{
    // produced > ratio * consumed, put so that nothing overflows.
    if (m_limits.ratio == 0 || produced <= m_limits.ratioFloor)
        return false;
    return (produced - 1) / m_limits.ratio >= consumed;
}

std::string ArchiveWalker::refusedText(const ArchiveReader& reader, bool restSkipped) const
{
    return DecoderTooLargeText(
        m_limits, reader.refusedDecoder().value_or(0), reader.decoderAllowance(), restSkipped);
}

} // namespace glyphor::archive
