#include "archive/ArchiveReader.h"

#include "archive/SevenZipDecoders.h"
#include "archive/XzDecoder.h"

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cstring>
#include <locale.h>
#include <new>

namespace glyphor::archive {

namespace {

// The error number the library gives when no format takes the bytes.
constexpr int kNoFormatError = EILSEQ;

// Makes the library convert names for a UTF-8 locale on this thread while it
// lives, whatever the process's locale is (the tests and the fuzzers run in
// the "C" locale, where names stored as Unicode would come out as nothing).
// The library takes the locale's character set once for each archive, the
// first time it sets up a conversion, which can be when an option is set:
// every call into it is made under the guard.
class Utf8Names {
public:
    Utf8Names()
        : m_previous(Utf8() ? ::uselocale(Utf8()) : locale_t {})
    {
    }
    ~Utf8Names()
    {
        if (m_previous)
            ::uselocale(m_previous);
    }
    Utf8Names(const Utf8Names&) = delete;
    Utf8Names& operator=(const Utf8Names&) = delete;

private:
    // Made once and kept for the life of the process; nothing where the
    // system lacks it, and then names are converted as the locale says.
    static locale_t Utf8()
    {
        static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t {});
        return utf8;
    }

    locale_t m_previous;
};

void EnableFormats(::archive* a)
{
    // xz is unpacked by XzDecoder, under a limit on its memory.
    archive_read_support_filter_gzip(a);
    archive_read_support_filter_bzip2(a);
    archive_read_support_filter_zstd(a);
    archive_read_support_format_zip(a);
    archive_read_support_format_7zip(a);
    archive_read_support_format_cab(a);
    archive_read_support_format_lha(a);
    archive_read_support_format_rar(a);
    archive_read_support_format_rar5(a);
    archive_read_support_format_tar(a);
    archive_read_support_format_cpio(a);
    archive_read_support_format_ar(a);
    archive_read_support_format_iso9660(a);
    // Left to itself the library takes lzh names for Shift-JIS and gives up
    // the whole archive at the first name that is not, as the names of DOS
    // archives from the West are not. The DOS code page decodes every byte,
    // so every member is read and its ending stays what it was.
    archive_read_set_format_option(a, "lha", "hdrcharset", "CP437");
}

// The name as stored; the UTF-8 form where the library could not make the
// locale's one; nothing when it has neither (a name that claims to be UTF-8
// and is not).
std::optional<std::string> NameOf(archive_entry* entry)
{
    if (const char* name = archive_entry_pathname(entry))
        return name;
    if (const char* name = archive_entry_pathname_utf8(entry))
        return name;
    return std::nullopt;
}

} // namespace

// The library's three callbacks over the source.
struct ArchiveReader::Callbacks {
    static la_ssize_t Read(::archive* a, void* self, const void** buffer)
    {
        auto* reader = static_cast<ArchiveReader*>(self);
        const ArchiveSource::Block block
            = reader->m_xz ? reader->m_xz->next() : reader->m_source->next();
        if (block.error != 0) {
            archive_set_error(a, block.error, "%s",
                reader->m_xz ? reader->m_xz->reason().c_str() : std::strerror(block.error));
            return ARCHIVE_FATAL;
        }
        *buffer = block.bytes.data();
        return static_cast<la_ssize_t>(block.bytes.size());
    }

    static la_int64_t Seek(::archive* a, void* self, la_int64_t offset, int whence)
    {
        auto* reader = static_cast<ArchiveReader*>(self);
        const auto to = reader->m_source->seek(offset, whence);
        if (!to) {
            archive_set_error(a, EINVAL, "it points past its own end (cut short?)");
            return ARCHIVE_FATAL;
        }
        ++reader->m_seeks;
        reader->m_lastSeek = *to;
        return static_cast<la_int64_t>(*to);
    }

    static la_int64_t Skip(::archive*, void* self, la_int64_t count)
    {
        if (count <= 0)
            return 0;
        return static_cast<la_int64_t>(
            static_cast<ArchiveReader*>(self)->m_source->skip(static_cast<std::uint64_t>(count)));
    }
};

ArchiveReader::ArchiveReader(std::unique_ptr<ArchiveSource> source, std::uint64_t decoderAllowance,
    std::uint64_t largestHeader)
    : m_archive(archive_read_new())
    , m_source(std::move(source))
    , m_decoderAllowance(decoderAllowance)
    , m_largestHeader(largestHeader)
{
    const Utf8Names names;
    if (!m_archive)
        throw std::bad_alloc();
    EnableFormats(m_archive);
    archive_read_set_read_callback(m_archive, &Callbacks::Read);
    archive_read_set_callback_data(m_archive, this);
}

ArchiveReader::~ArchiveReader()
{
    archive_read_free(m_archive);
}

ArchiveReader::Opened ArchiveReader::open()
{
    const Utf8Names names;
    if (XzDecoder::Starts(*m_source)) {
        m_source->seek(0, SEEK_SET);
        m_xz = std::make_unique<XzDecoder>(*m_source, m_decoderAllowance);
    } else {
        const SevenZipDecoders sevenZip
            = SevenZipDecoders::Read(*m_source, m_decoderAllowance, m_largestHeader);
        switch (sevenZip.found) {
        case SevenZipDecoders::Found::TooLarge:
            m_refused = sevenZip.memory;
            return Opened::DecoderTooLarge;
        case SevenZipDecoders::Found::Unreadable:
            m_reason = sevenZip.reason;
            return Opened::Damaged;
        case SevenZipDecoders::Found::Read:
            m_sevenZipMemory = sevenZip.memory;
            break;
        case SevenZipDecoders::Found::None:
            break;
        }
        m_source->seek(0, SEEK_SET);
        // What comes out of the decoder can only be read on.
        archive_read_set_seek_callback(m_archive, &Callbacks::Seek);
        archive_read_set_skip_callback(m_archive, &Callbacks::Skip);
    }
    const int r = archive_read_open1(m_archive);
    if (r == ARCHIVE_OK || r == ARCHIVE_WARN)
        return Opened::Archive;
    if (refusedDecoder())
        return Opened::DecoderTooLarge;
    // The library says so when no format of those enabled takes the bytes;
    // any other failure (a compressed stream damaged at its start, a read
    // error) is damage to a file that was recognised.
    return archive_errno(m_archive) == kNoFormatError ? Opened::NotAnArchive : Opened::Damaged;
}

ArchiveReader::Next ArchiveReader::next()
{
    const Utf8Names names;
    archive_entry* entry = nullptr;
    const int r = archive_read_next_header(m_archive, &entry);
    if (r == ARCHIVE_EOF)
        return Next::End;
    if (r == ARCHIVE_FATAL || !entry)
        return Next::Damaged;
    // The library reads a 7z inside a compressed stream when it is small
    // enough to lie in its buffer, its coders unread by SevenZipDecoders,
    // which reads the bytes as they are: none of the formats promised, it
    // goes no further.
    if ((archive_format(m_archive) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_7ZIP
        && (m_xz || archive_filter_count(m_archive) > 1)) {
        m_reason = "a 7z inside a compressed stream is not read here";
        return Next::Damaged;
    }
    const std::optional<std::string> name = NameOf(entry);
    m_member.name = name.value_or(std::string());
    // A hard link repeats a file met before and brings no bytes of its own
    // (tar, cpio, and ISO files that share their data).
    const bool secondName = archive_entry_hardlink(entry) && archive_entry_size(entry) <= 0;
    m_member.regular = archive_entry_filetype(entry) == AE_IFREG && !secondName;
    m_member.encrypted = archive_entry_is_data_encrypted(entry) > 0;
    m_member.size = archive_entry_size_is_set(entry) && archive_entry_size(entry) >= 0
        ? std::optional<std::uint64_t>(static_cast<std::uint64_t>(archive_entry_size(entry)))
        : std::nullopt;
    // A member whose name cannot be read cannot be told wanted or not.
    return (r == ARCHIVE_OK || r == ARCHIVE_WARN) && name ? Next::Member : Next::MemberDamaged;
}

bool ArchiveReader::passingOverUnpacks() const
{
    if (m_xz)
        return true;
    switch (archive_format(m_archive) & ARCHIVE_FORMAT_BASE_MASK) {
    case ARCHIVE_FORMAT_7ZIP:
    case ARCHIVE_FORMAT_CAB:
    case ARCHIVE_FORMAT_RAR:
    case ARCHIVE_FORMAT_RAR_V5:
        return true;
    case ARCHIVE_FORMAT_ZIP:
        return !m_member.size;
    default:
        // Besides the bottom one, which reads the source as it is.
        return archive_filter_count(m_archive) > 1;
    }
}

ArchiveReader::Read ArchiveReader::read(std::span<std::uint8_t> into)
{
    const Utf8Names names;
    const std::uint64_t before = packedPosition();
    const std::uint64_t seeks = m_seeks;
    const la_ssize_t n = archive_read_data(m_archive, into.data(), into.size());
    const std::uint64_t after = packedPosition();
    // After a seek the library counts from where it went, so the bytes it
    // consumed before the seek are lost to the count: a little less than
    // the truth, which the ratio's floor covers.
    const std::uint64_t from = m_seeks != seeks ? m_lastSeek : before;
    if (after > from)
        m_consumed += after - from;
    if (n >= 0)
        return { static_cast<std::size_t>(n), ReadState::Ok };
    return { 0, n == ARCHIVE_FATAL ? ReadState::ArchiveDamaged : ReadState::MemberDamaged };
}

std::string ArchiveReader::reason() const
{
    if (!m_reason.empty())
        return m_reason;
    // Some of the library's messages end in a line end, which would leave a
    // blank line under every skip that names it.
    const char* raw = archive_error_string(m_archive);
    std::string text = raw ? raw : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::optional<std::uint64_t> ArchiveReader::refusedDecoder() const
{
    return m_xz ? m_xz->refused() : m_refused;
}

std::uint64_t ArchiveReader::decoderMemory() const
{
    return m_xz ? m_xz->memory() : m_sevenZipMemory;
}

std::uint64_t ArchiveReader::packedPosition() const
{
    if (m_xz)
        return m_xz->consumed();
    const la_int64_t position = archive_filter_bytes(m_archive, -1);
    return position > 0 ? static_cast<std::uint64_t>(position) : 0;
}

} // namespace glyphor::archive
