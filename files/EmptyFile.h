#pragma once
// An empty regular file that someone else made for the program to fill: file
// managers create a thumbnail's file before they call the thumbnailer. That
// file is the one thing the program ever writes into that it did not create
// itself, so it is taken only when it is plainly such a file: a regular file
// with no bytes, reached without following a link, and the very file that
// was looked at (checked again on the descriptor that is written through).
// Anything else there (a file with bytes, a link even to an empty file, a
// folder, a fifo, a device) is refused as EEXIST and left as it was, without
// being opened.
//
// Plain C++ on the system's bytes, as NewFile.

#include <cstddef>
#include <cstdint>
#include <string>

namespace glyphor::files {

class EmptyFile {
public:
    // Opens path for writing when it is an empty regular file. ok() tells
    // whether it was opened.
    static EmptyFile open(const std::string& path);

    EmptyFile(EmptyFile&& other) noexcept;
    EmptyFile& operator=(EmptyFile&& other) noexcept;
    EmptyFile(const EmptyFile&) = delete;
    EmptyFile& operator=(const EmptyFile&) = delete;
    // A file that was not finished is made empty again: it was empty when it
    // was taken, and a half-written picture is worse than none.
    ~EmptyFile();

    bool ok() const { return m_fd >= 0; }
    // The system's error number of the step that failed: ENOENT when nothing
    // is there, EEXIST when something other than an empty regular file is.
    int error() const { return m_error; }

    // Writes all of the bytes; false when the system takes fewer.
    bool write(const std::uint8_t* data, std::size_t size);
    // Closes the file, which then keeps what was written.
    bool finish();

private:
    EmptyFile() = default;
    void close();

    int m_fd = -1;
    int m_error = 0;
};

} // namespace glyphor::files
