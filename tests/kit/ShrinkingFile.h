#pragma once
// Test helper: makes a file shorter while the program reads it, as another
// program that truncates a file during a scan does. The truncation is made by
// a thread of its own at a chosen point of the reading: just before the n-th
// read that the file source makes from that file.

#include "files/FileSource.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include <unistd.h>

namespace glyphor::kit {

class ShrinkingFile {
public:
    // Truncates path to newSize just before its atRead-th read (1 = the first).
    ShrinkingFile(std::string path, std::uint64_t newSize, int atRead)
        : m_path(std::move(path))
        , m_newSize(newSize)
        , m_atRead(atRead)
    {
        files::FileSource::setReadHook([this](const std::string& p, std::uint64_t, std::size_t) {
            if (p != m_path || ++m_reads != m_atRead)
                return;
            // Another thread does it and is waited for, so that the read that
            // follows is sure to meet the shorter file.
            std::thread cut(
                [this] { m_truncated = ::truncate(m_path.c_str(), off_t(m_newSize)) == 0; });
            cut.join();
        });
    }
    ~ShrinkingFile() { files::FileSource::setReadHook({}); }
    ShrinkingFile(const ShrinkingFile&) = delete;
    ShrinkingFile& operator=(const ShrinkingFile&) = delete;

    bool truncated() const { return m_truncated; }
    // Reads of the file seen so far.
    int reads() const { return m_reads; }

private:
    std::string m_path;
    std::uint64_t m_newSize;
    int m_atRead;
    std::atomic<int> m_reads { 0 };
    std::atomic<bool> m_truncated { false };
};

} // namespace glyphor::kit
