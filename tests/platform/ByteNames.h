#pragma once
// Test helpers for names that are not UTF-8: files and folders made and
// removed through the system's bytes. QTemporaryDir and QDir take names
// through a lossy conversion and can neither make nor remove such names.

#include "platform/NativePath.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace glyphor::testing {

// Removes path and everything below it.
inline void RemoveAll(const QString& path)
{
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(platform::ToNativePath(path)), ignored);
}

// Makes folder and the folders above it.
inline void MakePath(const QString& folder)
{
    std::error_code ignored;
    std::filesystem::create_directories(
        std::filesystem::path(platform::ToNativePath(folder)), ignored);
}

inline bool WriteBytes(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(platform::ToNativePath(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

inline std::vector<std::uint8_t> ReadBytes(const QString& path)
{
    std::ifstream in(platform::ToNativePath(path), std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

// A temporary folder, removed with all it holds when the object goes.
class ByteTempDir {
public:
    ByteTempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "g2-bytes-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            m_path = platform::FromNativePath(pattern);
    }
    ~ByteTempDir()
    {
        if (!m_path.isEmpty())
            RemoveAll(m_path);
    }
    ByteTempDir(const ByteTempDir&) = delete;
    ByteTempDir& operator=(const ByteTempDir&) = delete;

    QString path() const { return m_path; }

private:
    QString m_path;
};

} // namespace glyphor::testing
