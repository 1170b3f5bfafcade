#pragma once
// An xz stream (tar.xz, cpio.xz) unpacked here for the archive library,
// which then reads what comes out as the archive it holds. The library's own
// xz reader sets no limit on the decoder's memory, and a few bytes of a block
// header can ask for a 4 GiB dictionary, which the decoder fills as it
// unpacks. Here every block's dictionary is held to a limit before the block
// is unpacked, streams that follow one another included.

#include "archive/ArchiveSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glyphor::archive {

class XzDecoder {
public:
    // Whether the source begins as an xz stream does; its position moves.
    static bool Starts(ArchiveSource& source);

    // Reads packed from its position on; memoryLimit bounds the dictionary.
    XzDecoder(ArchiveSource& packed, std::uint64_t memoryLimit);
    ~XzDecoder();
    XzDecoder(const XzDecoder&) = delete;
    XzDecoder& operator=(const XzDecoder&) = delete;

    // The next unpacked bytes, valid until the next call; empty at the end.
    // error is set when nothing more can be unpacked, and reason() says why.
    ArchiveSource::Block next();

    // The packed bytes the decoder has consumed so far.
    std::uint64_t consumed() const;
    // The memory the decoder uses now.
    std::uint64_t memory() const;
    // The memory a block asked for when that went past the limit.
    std::optional<std::uint64_t> refused() const { return m_refused; }
    const std::string& reason() const { return m_reason; }

private:
    struct State;

    void fail(int result);

    ArchiveSource& m_packed;
    std::unique_ptr<State> m_state;
    std::vector<std::uint8_t> m_out;
    bool m_packedEnded = false;
    bool m_ended = false;
    // An error met after some bytes came out, reported at the next call.
    int m_error = 0;
    std::optional<std::uint64_t> m_refused;
    std::string m_reason;
};

} // namespace glyphor::archive
