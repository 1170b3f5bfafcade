#include "archive/SevenZipDecoders.h"

#include "util/ByteReader.h"

#include <lzma.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

namespace glyphor::archive {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::array<std::uint8_t, 6> kSignature = { '7', 'z', 0xBC, 0xAF, 0x27, 0x1C };
constexpr std::uint64_t kStartHeaderSize = 32;
// Where the archive library looks for the archive behind a self-extracting
// program.
constexpr std::uint64_t kSfxFirst = 0x27000;
constexpr std::uint64_t kSfxLast = 0x60000;

// Counts the header declares, beyond which it is not read: far more than any
// real archive holds, few enough that what is kept of them stays small.
constexpr std::uint64_t kMaxFolders = std::uint64_t { 1 } << 20;
constexpr std::uint64_t kMaxCoders = 64;
constexpr std::uint64_t kMaxStreams = 64;

enum Property : std::uint8_t {
    kEnd = 0x00,
    kHeader = 0x01,
    kArchiveProperties = 0x02,
    kAdditionalStreamsInfo = 0x03,
    kMainStreamsInfo = 0x04,
    kPackInfo = 0x06,
    kUnpackInfo = 0x07,
    kSize = 0x09,
    kCrc = 0x0A,
    kFolder = 0x0B,
    kCodersUnpackSize = 0x0C,
    kEncodedHeader = 0x17,
};

constexpr std::uint64_t kCopy = 0x00;
constexpr std::uint64_t kLzma = 0x030101;
constexpr std::uint64_t kLzma2 = 0x21;
constexpr std::uint64_t kPpmd = 0x030401;
constexpr std::uint64_t kBcj2 = 0x0303011B;

// Reads on through the header; a read past its end leaves it failed and
// every read after it gives 0, so that every loop over it ends.
class Cursor {
public:
    explicit Cursor(std::span<const std::uint8_t> bytes)
        : m_bytes(bytes)
    {
    }
    bool ok() const { return m_ok; }

    std::uint8_t byte()
    {
        const std::optional<std::uint8_t> b = m_bytes.u8(m_at);
        if (!b)
            return fail();
        ++m_at;
        return *b;
    }
    // The header's numbers: the leading one bits of the first byte count
    // the bytes that follow, low byte first, above the first byte's rest.
    std::uint64_t number()
    {
        const std::uint8_t first = byte();
        std::uint64_t value = 0;
        int extra = 0;
        for (std::uint8_t mask = 0x80; extra < 8 && (first & mask) != 0; mask >>= 1, ++extra)
            value |= std::uint64_t { byte() } << (8 * extra);
        if (extra < 8)
            value |= std::uint64_t { static_cast<std::uint8_t>(first & (0xFFu >> (extra + 1))) }
                << (8 * extra);
        return value;
    }
    // A number no larger than limit.
    std::uint64_t atMost(std::uint64_t limit)
    {
        const std::uint64_t n = number();
        return n <= limit ? n : fail();
    }
    std::span<const std::uint8_t> take(std::uint64_t count)
    {
        const auto bytes = m_bytes.slice(m_at, count);
        if (!bytes) {
            fail();
            return {};
        }
        m_at += count;
        return *bytes;
    }
    std::uint8_t fail()
    {
        m_ok = false;
        m_at = m_bytes.size();
        return 0;
    }

private:
    ByteReader m_bytes;
    std::uint64_t m_at = 0;
    bool m_ok = true;
};

std::uint32_t Le32(std::span<const std::uint8_t> bytes)
{
    return static_cast<std::uint32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16)
        | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::uint64_t Le64(std::span<const std::uint8_t> bytes)
{
    return Le32(bytes) | std::uint64_t { Le32(bytes.subspan(4)) } << 32;
}

// What a coder asks for, as the archive library reads its properties.
std::uint64_t CoderMemory(std::uint64_t id, std::span<const std::uint8_t> props)
{
    if ((id == kLzma || id == kPpmd) && props.size() == 5)
        return Le32(props.subspan(1));
    if (id == kLzma2 && props.size() == 1 && props[0] <= 40)
        return props[0] == 40 ? 0xFFFFFFFFu : (2u | (props[0] & 1u)) << (props[0] / 2 + 11);
    return 0;
}

struct Coder {
    std::uint64_t id = 0;
    std::span<const std::uint8_t> props;
};

struct Folder {
    std::uint64_t memory = 0;
    Coder first;
    std::uint64_t coders = 0;
    std::uint64_t outs = 0;
    std::uint64_t packed = 0;
    // The out stream nothing else takes in: what the folder unpacks to.
    std::uint64_t last = 0;
    std::uint64_t size = 0;
    // BCJ2's three side streams, which the library unpacks whole into
    // memory before the main one: out streams of the folder's other
    // coders, or packed streams (positions among the folder's).
    std::vector<std::uint64_t> sideOuts;
    std::vector<std::uint64_t> sidePacks;
};

struct Streams {
    std::uint64_t packPos = 0;
    std::vector<std::uint64_t> packSizes;
    std::vector<Folder> folders;
};

void SkipDigests(Cursor& c, std::uint64_t count)
{
    std::uint64_t defined = count;
    if (c.byte() == 0) {
        defined = 0;
        const auto bits = c.take((count + 7) / 8);
        for (std::uint64_t i = 0; i < count && i / 8 < bits.size(); ++i)
            defined += (bits[i / 8] >> (7 - i % 8)) & 1u;
    }
    c.take(defined * 4);
}

Folder ReadFolder(Cursor& c)
{
    Folder f;
    f.coders = c.atMost(kMaxCoders);
    std::uint64_t ins = 0;
    std::optional<std::uint64_t> bcj2In;
    for (std::uint64_t i = 0; i < f.coders && c.ok(); ++i) {
        const std::uint8_t flags = c.byte();
        Coder coder;
        for (const std::uint8_t b : c.take(flags & 0x0Fu))
            coder.id = coder.id << 8 | b;
        std::uint64_t in = 1;
        std::uint64_t out = 1;
        if ((flags & 0x10u) != 0) {
            in = c.atMost(kMaxStreams);
            out = c.atMost(kMaxStreams);
        }
        if ((flags & 0x20u) != 0)
            coder.props = c.take(c.number());
        // Alternative methods were never written by any packer.
        if ((flags & 0x80u) != 0)
            c.fail();
        if (i == 0)
            f.first = coder;
        if (coder.id == kBcj2)
            bcj2In = ins;
        f.memory += CoderMemory(coder.id, coder.props);
        ins += in;
        f.outs += out;
    }
    if (f.outs == 0 || f.outs - 1 > ins) {
        c.fail();
        return f;
    }
    std::vector<std::pair<std::uint64_t, std::uint64_t>> bonds(f.outs - 1);
    std::vector<bool> outTaken(f.outs);
    for (auto& [in, out] : bonds) {
        in = c.atMost(ins - 1);
        out = c.atMost(f.outs - 1);
        outTaken[out] = true;
    }
    f.packed = ins - bonds.size();
    std::vector<std::uint64_t> packedIns;
    for (std::uint64_t in = 0; f.packed == 1 && in < ins; ++in)
        if (std::none_of(bonds.begin(), bonds.end(), [in](const auto& b) { return b.first == in; }))
            packedIns.push_back(in);
    for (std::uint64_t i = 0; f.packed > 1 && i < f.packed && c.ok(); ++i)
        packedIns.push_back(c.atMost(ins - 1));
    f.last = static_cast<std::uint64_t>(
        std::find(outTaken.begin(), outTaken.end(), false) - outTaken.begin());
    for (std::uint64_t side = 1; bcj2In && side <= 3; ++side) {
        const std::uint64_t in = *bcj2In + side;
        const auto bond = std::find_if(
            bonds.begin(), bonds.end(), [in](const auto& b) { return b.first == in; });
        const auto packed = std::find(packedIns.begin(), packedIns.end(), in);
        if (bond != bonds.end())
            f.sideOuts.push_back(bond->second);
        else if (packed != packedIns.end())
            f.sidePacks.push_back(static_cast<std::uint64_t>(packed - packedIns.begin()));
    }
    return f;
}

void ReadPackInfo(Cursor& c, Streams& s)
{
    s.packPos = c.number();
    const std::uint64_t count = c.atMost(kMaxFolders);
    for (std::uint8_t id = c.byte(); id != kEnd && c.ok(); id = c.byte()) {
        if (id == kSize) {
            s.packSizes.clear();
            for (std::uint64_t i = 0; i < count && c.ok(); ++i)
                s.packSizes.push_back(c.number());
        } else if (id == kCrc) {
            SkipDigests(c, count);
        } else {
            c.fail();
        }
    }
}

void ReadUnpackInfo(Cursor& c, Streams& s)
{
    if (c.byte() != kFolder)
        c.fail();
    const std::uint64_t count = c.atMost(kMaxFolders);
    // Folders kept elsewhere in the header were never written by any packer.
    if (c.byte() != 0)
        c.fail();
    s.folders.clear();
    for (std::uint64_t i = 0; i < count && c.ok(); ++i)
        s.folders.push_back(ReadFolder(c));
    if (c.byte() != kCodersUnpackSize)
        c.fail();
    for (Folder& f : s.folders) {
        for (std::uint64_t out = 0; out < f.outs && c.ok(); ++out) {
            const std::uint64_t size = c.number();
            if (out == f.last)
                f.size = size;
            if (std::find(f.sideOuts.begin(), f.sideOuts.end(), out) != f.sideOuts.end())
                f.memory += size;
        }
    }
    for (std::uint8_t id = c.byte(); id != kEnd && c.ok(); id = c.byte()) {
        if (id == kCrc)
            SkipDigests(c, count);
        else
            c.fail();
    }
}

// Pack and unpack information, up to where the members' streams begin,
// which says nothing of the coders.
std::optional<Streams> ReadStreams(Cursor& c)
{
    Streams s;
    for (std::uint8_t id = c.byte(); c.ok(); id = c.byte()) {
        if (id == kPackInfo)
            ReadPackInfo(c, s);
        else if (id == kUnpackInfo)
            ReadUnpackInfo(c, s);
        else
            break;
    }
    if (!c.ok())
        return std::nullopt;
    std::uint64_t firstPack = 0;
    for (Folder& f : s.folders) {
        for (const std::uint64_t at : f.sidePacks)
            if (firstPack + at < s.packSizes.size())
                f.memory += s.packSizes[firstPack + at];
        firstPack += f.packed;
    }
    return s;
}

std::uint64_t MostMemory(const Streams& s)
{
    std::uint64_t most = 0;
    for (const Folder& f : s.folders)
        most = std::max(most, f.memory);
    return most;
}

std::optional<Bytes> ReadAt(ArchiveSource& source, std::uint64_t offset, std::uint64_t length)
{
    if (offset > source.size() || length > source.size() - offset
        || !source.seek(static_cast<std::int64_t>(offset), SEEK_SET))
        return std::nullopt;
    Bytes out;
    out.reserve(static_cast<std::size_t>(length));
    while (out.size() < length) {
        const ArchiveSource::Block block = source.next();
        if (block.error != 0 || block.bytes.empty())
            return std::nullopt;
        const std::size_t take = static_cast<std::size_t>(
            std::min<std::uint64_t>(block.bytes.size(), length - out.size()));
        out.insert(out.end(), block.bytes.begin(), block.bytes.begin() + take);
    }
    return out;
}

bool StartsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> prefix)
{
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

// Where the archive begins: at the start, or behind a program at the first
// signature whose start header is sound, as the library looks for it.
std::optional<std::uint64_t> FindStart(ArchiveSource& source)
{
    const std::optional<Bytes> head
        = ReadAt(source, 0, std::min<std::uint64_t>(source.size(), kSignature.size()));
    if (!head)
        return std::nullopt;
    if (StartsWith(*head, kSignature))
        return 0;
    constexpr std::array<std::uint8_t, 2> kDos = { 'M', 'Z' };
    constexpr std::array<std::uint8_t, 4> kElf = { 0x7F, 'E', 'L', 'F' };
    if ((!StartsWith(*head, kDos) && !StartsWith(*head, kElf)) || source.size() <= kSfxFirst)
        return std::nullopt;
    const std::optional<Bytes> window = ReadAt(
        source, kSfxFirst, std::min(source.size(), kSfxLast + kStartHeaderSize) - kSfxFirst);
    if (!window)
        return std::nullopt;
    const std::span<const std::uint8_t> w(*window);
    for (std::size_t at = 0; at + kStartHeaderSize <= w.size(); ++at) {
        const auto start = w.subspan(at, kStartHeaderSize);
        if (StartsWith(start, kSignature)
            && lzma_crc32(start.data() + 12, 20, 0) == Le32(start.subspan(8)))
            return kSfxFirst + at;
    }
    return std::nullopt;
}

// Unpacks the header, which its folder's one coder packed, as every packer
// writes it; false when it does not fill out.
bool Unpack(const Coder& coder, std::span<const std::uint8_t> packed, std::span<std::uint8_t> out)
{
    if (coder.id == kCopy) {
        if (packed.size() < out.size())
            return false;
        std::copy_n(packed.begin(), out.size(), out.begin());
        return true;
    }
    lzma_filter filters[2] = {
        { coder.id == kLzma ? LZMA_FILTER_LZMA1 : LZMA_FILTER_LZMA2, nullptr },
        { LZMA_VLI_UNKNOWN, nullptr },
    };
    if (lzma_properties_decode(&filters[0], nullptr, coder.props.data(), coder.props.size())
        != LZMA_OK)
        return false;
    lzma_stream stream = LZMA_STREAM_INIT;
    lzma_ret r = lzma_raw_decoder(&stream, filters);
    std::free(filters[0].options);
    stream.next_in = packed.data();
    stream.avail_in = packed.size();
    stream.next_out = out.data();
    stream.avail_out = out.size();
    while (r == LZMA_OK && stream.avail_out > 0) {
        const std::size_t before = stream.avail_in + stream.avail_out;
        r = lzma_code(&stream, LZMA_RUN);
        if (stream.avail_in + stream.avail_out == before)
            break;
    }
    const bool filled = stream.avail_out == 0;
    lzma_end(&stream);
    return filled;
}

class Reading {
public:
    Reading(ArchiveSource& source, std::uint64_t allowance, std::uint64_t largestHeader)
        : m_source(source)
        , m_allowance(allowance)
        , m_largestHeader(largestHeader)
    {
    }

    SevenZipDecoders read()
    {
        const std::optional<std::uint64_t> start = FindStart(m_source);
        if (!start)
            return {};
        const std::optional<Bytes> startHeader = ReadAt(m_source, *start, kStartHeaderSize);
        if (!startHeader)
            return unreadable("cut short");
        const std::uint64_t offset = Le64(std::span(*startHeader).subspan(12));
        const std::uint64_t size = Le64(std::span(*startHeader).subspan(20));
        m_base = *start + kStartHeaderSize;
        if (size == 0)
            return { SevenZipDecoders::Found::Read, 0, {} };
        std::optional<Bytes> header = readPart(offset, size);
        if (!header)
            return m_result;
        std::uint64_t most = 0;
        if (!header->empty() && (*header)[0] == kEncodedHeader) {
            Cursor c(std::span<const std::uint8_t>(*header).subspan(1));
            const std::optional<Streams> s = ReadStreams(c);
            if (!s || s->folders.empty() || s->packSizes.empty())
                return unreadable("its list of members is damaged");
            most = MostMemory(*s);
            if (most > m_allowance)
                return { SevenZipDecoders::Found::TooLarge, most, {} };
            header = unpackHeader(*s);
            if (!header)
                return m_result;
        }
        Cursor c(*header);
        if (c.byte() != kHeader)
            return unreadable("its list of members is damaged");
        std::uint8_t id = c.byte();
        if (id == kArchiveProperties) {
            for (std::uint8_t type = c.byte(); type != kEnd && c.ok(); type = c.byte())
                c.take(c.number());
            id = c.byte();
        }
        // Written by no packer, and read by no reader.
        if (id == kAdditionalStreamsInfo)
            return unreadable("its list of members is damaged");
        if (id == kMainStreamsInfo) {
            const std::optional<Streams> s = ReadStreams(c);
            if (!s)
                return unreadable("its list of members is damaged");
            most = std::max(most, MostMemory(*s));
        }
        if (most > m_allowance)
            return { SevenZipDecoders::Found::TooLarge, most, {} };
        return { SevenZipDecoders::Found::Read, most, {} };
    }

private:
    SevenZipDecoders unreadable(std::string reason)
    {
        m_result = { SevenZipDecoders::Found::Unreadable, 0, std::move(reason) };
        return m_result;
    }

    // size bytes at offset from the end of the start header.
    std::optional<Bytes> readPart(std::uint64_t offset, std::uint64_t size)
    {
        if (size > m_largestHeader) {
            unreadable("its list of members is too large");
            return std::nullopt;
        }
        std::optional<Bytes> bytes;
        if (offset <= UINT64_MAX - m_base)
            bytes = ReadAt(m_source, m_base + offset, size);
        if (!bytes)
            unreadable("cut short");
        return bytes;
    }

    std::optional<Bytes> unpackHeader(const Streams& s)
    {
        const Folder& folder = s.folders[0];
        if (folder.coders != 1
            || (folder.first.id != kCopy && folder.first.id != kLzma
                && folder.first.id != kLzma2)) {
            unreadable("its list of members is packed in a way not read here");
            return std::nullopt;
        }
        if (folder.size > m_largestHeader) {
            unreadable("its list of members is too large");
            return std::nullopt;
        }
        std::optional<Bytes> packed = readPart(s.packPos, s.packSizes[0]);
        if (!packed)
            return std::nullopt;
        Bytes header(static_cast<std::size_t>(folder.size));
        if (!Unpack(folder.first, *packed, header)) {
            unreadable("its list of members is damaged");
            return std::nullopt;
        }
        return header;
    }

    ArchiveSource& m_source;
    std::uint64_t m_allowance;
    std::uint64_t m_largestHeader;
    std::uint64_t m_base = 0;
    SevenZipDecoders m_result;
};

} // namespace

SevenZipDecoders SevenZipDecoders::Read(
    ArchiveSource& source, std::uint64_t allowance, std::uint64_t largestHeader)
{
    return Reading(source, allowance, largestHeader).read();
}

} // namespace glyphor::archive
