#pragma once
// Icons out of executables and icon files: what stands in for the system's
// icon extraction. The format is told from the content, never the name.
// Understood: PE32, PE32+, 16-bit NE and plain .ico files.

#include "iconfile/IconImage.h"
#include "platform/IconChoice.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace glyphor::platform {

class IconContainer;

// The number of icons (RT_GROUP_ICON groups, language variants once) of the
// file; 0 for a file that is missing, not an executable, damaged or iconless.
int IconCount(const std::string& path);

// Icon number index, in the order of the resource directory as stored: the
// image of the group chosen for 32 x 32, decoded at its own size. Nothing for
// an index outside 0 .. IconCount - 1 or a group whose images are damaged or
// missing. The same result on every call.
std::optional<IconImage> ExtractIcon(const std::string& path, int index);

// The same two operations over bytes already in memory (the fuzz harness and
// the tests use these; the bytes stay the caller's).
int IconCountOfBytes(std::span<const std::uint8_t> bytes);
std::optional<IconImage> ExtractIconFromBytes(std::span<const std::uint8_t> bytes, int index);

// The icons of one file's bytes, parsed once: for callers that take every
// icon of a file (a scan, the command-line batch capture, the benchmark). The
// bytes must outlive the object.
class IconSource {
public:
    explicit IconSource(std::span<const std::uint8_t> bytes);
    ~IconSource();
    IconSource(IconSource&&) noexcept;
    IconSource& operator=(IconSource&&) noexcept;

    int count() const;
    std::optional<IconImage> icon(int index) const;
    // The images of icon index as its group directory names them, for callers
    // that make their own choice among them; empty for an index it lacks.
    std::vector<IconCandidate> images(int index) const;

private:
    std::unique_ptr<IconContainer> m_container;
};

} // namespace glyphor::platform
