#pragma once
// A file opened for reading, the one way the program opens one. Only a
// regular file is opened, and nothing can wait: the name is looked at before
// it is opened, so that a fifo or a device given where a file was expected is
// never opened at all (opening a fifo for reading waits for a writer, and
// opening a device can act on it), and it is opened without waiting, so that
// one put in the file's place meanwhile is refused as well. Reads go on where
// a signal interrupts them, and a read of a whole file is bounded.
//
// Plain C++ on the system's bytes for a name, so that the readers of icon
// files use it too; callers that hold paths as QString convert them with
// NativePath.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace glyphor::files {

class InputFile {
public:
    // Opens path for reading when it names a regular file (or a link to
    // one). ok() tells whether it was opened.
    static InputFile open(const std::string& path);
    // The same for name in the open folder folderFd (a link is followed, as
    // a walk reads a link to a program like the program).
    static InputFile openAt(int folderFd, const std::string& name);

    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    bool ok() const { return m_fd >= 0; }
    // Why the file was not opened: the system's error number; EISDIR for a
    // folder and EINVAL for anything else that is not a regular file, which
    // notRegular() tells apart from the same errors of the system.
    int error() const { return m_error; }
    bool notRegular() const { return m_notRegular; }
    // The file's size when it was opened.
    std::uint64_t size() const { return m_size; }
    int descriptor() const { return m_fd; }

    // What a read gave: the bytes it read, and the system's error number
    // when it stopped for an error rather than at the end of the file.
    struct Read {
        std::size_t count = 0;
        int error = 0;
    };
    // Reads on from the current position until out is full or the file ends.
    Read read(std::span<std::uint8_t> out);
    // The same from offset, without moving the current position.
    Read readAt(std::uint64_t offset, std::span<std::uint8_t> out) const;
    // Reads the rest of the file into out, but never more than limit + 1
    // bytes, so that the caller tells a file longer than limit from one of
    // that length without the whole of it in memory. The size at opening
    // serves only as a first guess: a file that grew or shrank since is
    // read as it is now. Returns 0, or the system's error number with out
    // holding what was read before it.
    int readToEnd(std::vector<std::uint8_t>& out, std::size_t limit = SIZE_MAX);

private:
    InputFile() = default;
    // Calls readSome(into, size, done) until out is full, the file ends or an
    // error stops it; done counts the bytes read so far.
    template <class ReadSome> static Read readLoop(std::span<std::uint8_t> out, ReadSome readSome);

    int m_fd = -1;
    int m_error = 0;
    bool m_notRegular = false;
    std::uint64_t m_size = 0;
};

} // namespace glyphor::files
