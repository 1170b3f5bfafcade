#include "archive/XzDecoder.h"

#include <lzma.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace glyphor::archive {

namespace {

constexpr std::uint8_t kMagic[] = { 0xFD, '7', 'z', 'X', 'Z', 0x00 };

// What liblzma counts beside the dictionary (its state and probability
// tables: 64 to 90 KiB), so that a dictionary of exactly the limit is taken.
constexpr std::uint64_t kBookkeeping = std::uint64_t { 128 } << 10;

} // namespace

struct XzDecoder::State {
    lzma_stream stream = LZMA_STREAM_INIT;
};

bool XzDecoder::Starts(ArchiveSource& source)
{
    if (!source.seek(0, SEEK_SET))
        return false;
    const ArchiveSource::Block head = source.next();
    return head.error == 0 && head.bytes.size() >= sizeof(kMagic)
        && std::equal(std::begin(kMagic), std::end(kMagic), head.bytes.begin());
}

XzDecoder::XzDecoder(ArchiveSource& packed, std::uint64_t memoryLimit)
    : m_packed(packed)
    , m_state(std::make_unique<State>())
    , m_out(ArchiveSource::kBlockSize)
{
    // One stream after another, as xz writes them when files are joined.
    const lzma_ret r = lzma_stream_decoder(&m_state->stream,
        std::min(memoryLimit, UINT64_MAX - kBookkeeping) + kBookkeeping, LZMA_CONCATENATED);
    if (r != LZMA_OK)
        fail(r);
}

XzDecoder::~XzDecoder()
{
    lzma_end(&m_state->stream);
}

ArchiveSource::Block XzDecoder::next()
{
    lzma_stream& s = m_state->stream;
    if (m_error != 0)
        return { {}, m_error };
    if (m_ended)
        return {};
    s.next_out = m_out.data();
    s.avail_out = m_out.size();
    for (;;) {
        if (s.avail_in == 0 && !m_packedEnded) {
            // The packed bytes stay valid until the next call, by which time
            // the decoder has taken them all.
            const ArchiveSource::Block block = m_packed.next();
            if (block.error != 0) {
                m_reason = std::strerror(block.error);
                m_error = block.error;
                break;
            }
            m_packedEnded = block.bytes.empty();
            s.next_in = block.bytes.data();
            s.avail_in = block.bytes.size();
        }
        const lzma_ret r = lzma_code(&s, m_packedEnded ? LZMA_FINISH : LZMA_RUN);
        if (r == LZMA_STREAM_END) {
            m_ended = true;
            break;
        }
        if (r != LZMA_OK) {
            fail(r);
            break;
        }
        if (s.avail_out == 0)
            break;
    }
    const std::size_t count = m_out.size() - s.avail_out;
    if (count == 0 && m_error != 0)
        return { {}, m_error };
    return { std::span<const std::uint8_t>(m_out).first(count), 0 };
}

void XzDecoder::fail(int result)
{
    m_error = EINVAL;
    switch (result) {
    case LZMA_MEMLIMIT_ERROR:
        m_refused = lzma_memusage(&m_state->stream);
        m_reason = "its dictionary needs more memory than is allowed";
        m_error = ENOMEM;
        break;
    case LZMA_MEM_ERROR:
        m_reason = std::strerror(ENOMEM);
        m_error = ENOMEM;
        break;
    case LZMA_BUF_ERROR:
        m_reason = "cut short";
        break;
    case LZMA_OPTIONS_ERROR:
        m_reason = "packed in a way not read here";
        break;
    default:
        m_reason = "the packed data is damaged";
        break;
    }
}

std::uint64_t XzDecoder::consumed() const
{
    return m_state->stream.total_in;
}

std::uint64_t XzDecoder::memory() const
{
    return lzma_memusage(&m_state->stream);
}

} // namespace glyphor::archive
