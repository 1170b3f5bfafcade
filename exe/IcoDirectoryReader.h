#pragma once
// A plain icon file seen as a container: one icon made of all its images.

#include "exe/IconContainer.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace glyphor::exe {

class IcoDirectoryReader final : public IconContainer {
public:
    // Nothing unless the file begins with an icon file header (reserved 0,
    // type 1) that lists at least one image whose directory entry fits. The
    // file must outlive the reader.
    static std::optional<IcoDirectoryReader> open(const files::ByteSource& file);

    std::size_t groupCount() const override { return 1; }
    std::vector<IconCandidate> images(std::size_t group) const override;

private:
    explicit IcoDirectoryReader(const files::ByteSource& file)
        : m_file(file)
    {
    }
    files::SourceReader m_file;
    std::size_t m_count = 0;
};

} // namespace glyphor::exe
