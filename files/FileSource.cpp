#include "files/FileSource.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>

namespace glyphor::files {

namespace {

FileSource::ReadHook& Hook()
{
    static FileSource::ReadHook current;
    return current;
}

} // namespace

std::unique_ptr<FileSource> FileSource::open(const std::string& path)
{
    return openAt(AT_FDCWD, path, path);
}

std::unique_ptr<FileSource> FileSource::openAt(
    int folderFd, const std::string& name, const std::string& path)
{
    InputFile file = InputFile::openAt(folderFd, name);
    if (!file.ok() || file.size() > kMaxSize)
        return nullptr;
    // Reads jump from the directory to the few images needed; read-ahead of
    // the rest of a large file would only cost time.
    ::posix_fadvise(file.descriptor(), 0, 0, POSIX_FADV_RANDOM);
    return std::unique_ptr<FileSource>(new FileSource(path, std::move(file)));
}

void FileSource::setReadHook(ReadHook newHook)
{
    Hook() = std::move(newHook);
}

std::size_t FileSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    if (Hook())
        Hook()(m_path, offset, out.size());
    const InputFile::Read got = m_file.readAt(offset, out);
    // Short without an error: the file ended before the size it had when
    // opened, so another program has made it shorter meanwhile.
    if (m_failure == 0)
        m_failure = got.error != 0 ? got.error : got.count < out.size() ? kEndedEarly : 0;
    return got.count;
}

const FileSource::Block& FileSource::block(std::uint64_t start) const
{
    Block* victim = &m_blocks[0];
    for (Block& b : m_blocks) {
        if (b.start == start) {
            b.lastUse = ++m_uses;
            return b;
        }
        if (b.lastUse < victim->lastUse)
            victim = &b;
    }
    if (!victim->data)
        victim->data = std::make_unique<std::uint8_t[]>(kBlockSize);
    const std::size_t wanted
        = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSize, m_size - start));
    victim->start = start;
    victim->length = readAt(start, { victim->data.get(), wanted });
    victim->lastUse = ++m_uses;
    return *victim;
}

bool FileSource::read(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    if (offset > m_size || out.size() > m_size - offset)
        return false;
    if (out.size() >= kBlockSize)
        return readAt(offset, out) == out.size();
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint64_t at = offset + done;
        const std::uint64_t start = at - at % kBlockSize;
        const Block& b = block(start);
        const std::size_t from = static_cast<std::size_t>(at - start);
        const std::size_t n = std::min(out.size() - done, kBlockSize - from);
        // A block cut short by a file that shrank serves what it holds.
        if (from + n > b.length)
            return false;
        std::memcpy(out.data() + done, b.data.get() + from, n);
        done += n;
    }
    return true;
}

std::string FileSource::failure() const
{
    if (m_failure == 0)
        return {};
    if (m_failure == kEndedEarly)
        return "the file became shorter while it was read";
    return std::strerror(m_failure);
}

} // namespace glyphor::files
