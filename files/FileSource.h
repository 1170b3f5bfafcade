#pragma once
// A file on disk as a ByteSource: the ranges the readers ask for are read
// with pread into buffers of our own. Nothing is mapped, so another program
// that truncates the file while it is read makes a read come back short (an
// error for this file) instead of raising a signal that ends the process.
//
// Small reads (headers, directory tables, data entries, most images) go
// through a few cached blocks, so the many small reads of a resource
// directory cost a handful of system calls; large reads go straight into the
// caller's buffer. Only what is asked for is read: counting the icons of a
// large DLL reads its headers and resource directory, not its code.
//
// Not safe for use from several threads at once (the cache is shared).

#include "files/ByteSource.h"
#include "files/InputFile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace glyphor::files {

class FileSource final : public ByteSource {
public:
    // Largest file that is opened; anything larger is not an executable that
    // this program harvests and is treated like a file that cannot be read.
    static constexpr std::uint64_t kMaxSize = std::uint64_t { 2 } << 30;
    // The unit of the cache, and the size from which a read bypasses it.
    static constexpr std::size_t kBlockSize = std::size_t { 16 } * 1024;
    static constexpr std::size_t kCachedBlocks = 8;

    // Nothing for a missing, unreadable, oversized or non-regular file (a fifo
    // or a device is never opened for reading, so nothing can block on it).
    // path holds the system's bytes for the name.
    static std::unique_ptr<FileSource> open(const std::string& path);
    // The same for name in the open folder folderFd; path names it in
    // messages.
    static std::unique_ptr<FileSource> openAt(
        int folderFd, const std::string& name, const std::string& path);

    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t size() const override { return m_size; }
    bool read(std::uint64_t offset, std::span<std::uint8_t> out) const override;
    std::string failure() const override;

    // Called before every read from any file, with the file's path and the
    // range about to be read. Tests use it to change a file at a chosen point
    // of its reading; the program sets none. An empty function removes it.
    using ReadHook
        = std::function<void(const std::string& path, std::uint64_t offset, std::size_t length)>;
    static void setReadHook(ReadHook hook);

private:
    struct Block {
        std::uint64_t start = UINT64_MAX;
        std::size_t length = 0; // bytes read; short when the file ended early
        std::uint64_t lastUse = 0;
        std::unique_ptr<std::uint8_t[]> data;
    };

    FileSource(std::string path, InputFile file)
        : m_path(std::move(path))
        , m_file(std::move(file))
        , m_size(m_file.size())
    {
    }
    // Reads up to out.size() bytes at offset; returns how many it got and
    // records a failure when that is fewer.
    std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) const;
    const Block& block(std::uint64_t start) const;

    std::string m_path;
    InputFile m_file;
    std::uint64_t m_size = 0;
    mutable std::array<Block, kCachedBlocks> m_blocks;
    mutable std::uint64_t m_uses = 0;
    // errno of the first failed read, or kEndedEarly; 0 while none failed.
    mutable int m_failure = 0;
    static constexpr int kEndedEarly = -1;
};

} // namespace glyphor::files
