#pragma once
// Icons out of executables and icon files: what stands in for the system's
// icon extraction. The format is told from the content, never the name.
// Understood: PE32, PE32+, 16-bit NE and plain .ico files.

#include "exe/GroupFile.h"
#include "exe/IconChoice.h"
#include "exe/IconGroup.h"
#include "iconfile/IconImage.h"
#include "util/Result.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace glyphor::files {
class ByteSource;
}

namespace glyphor::exe {

class IconContainer;

// The number of icons (RT_GROUP_ICON groups, language variants once) of the
// file; 0 for a file that is missing, not an executable, damaged or iconless.
// path holds the system's bytes for the name.
int IconCount(const std::string& path);

// Icon number index, in the order of the resource directory as stored: the
// image of the group chosen for 32 x 32, decoded at its own size. A failure,
// saying why in a few words, for an index outside 0 .. IconCount - 1 or a
// group whose images are damaged or missing. The same result on every call.
Result<IconImage> ExtractIcon(const std::string& path, int index);

// The same two operations over bytes already in memory (the fuzz harness and
// the tests use these; the bytes stay the caller's).
int IconCountOfBytes(std::span<const std::uint8_t> bytes);
Result<IconImage> ExtractIconFromBytes(std::span<const std::uint8_t> bytes, int index);

// Group number index of a file's bytes (its icons, or with GroupKind::Cursor
// its cursors) rebuilt as an icon or cursor file of its own, as
// IconSource::originalGroup gives it.
Result<RebuiltGroup> RebuildGroupOfBytes(
    std::span<const std::uint8_t> bytes, int index, GroupKind kind = GroupKind::Icon);

// The icons of one file, parsed once: for callers that take more than one
// icon of a file (a scan, the command-line batch capture, a thumbnailer, the
// benchmark).
//
//     if (auto icons = IconSource::fromFile(path))
//         for (int i = 0; i < icons->count(); ++i)
//             use(icons->icon(i));   // a failure, with why, for an icon that cannot be had
//
// Opened for cursors, the same gives the file's cursor groups.
//
// A file is read with pread as icons are asked for (headers and resource
// directory when opened, one image per icon), never mapped: when another
// program makes the file shorter meanwhile, the icons that can no longer be
// read give nothing and readFailure() says so. Never raises and never reads
// outside the file, whatever its bytes.
class IconSource {
public:
    // The file at path (the system's bytes for the name); nothing when it is
    // missing, unreadable, not a regular file or larger than 2 GB.
    static std::optional<IconSource> fromFile(
        const std::string& path, GroupKind kind = GroupKind::Icon);
    // Bytes in memory, which must outlive the object.
    explicit IconSource(std::span<const std::uint8_t> bytes, GroupKind kind = GroupKind::Icon);
    // Any source of bytes, which the object keeps.
    explicit IconSource(
        std::unique_ptr<files::ByteSource> source, GroupKind kind = GroupKind::Icon);
    ~IconSource();
    IconSource(IconSource&&) noexcept;
    IconSource& operator=(IconSource&&) noexcept;

    // 0 also for a file whose directory could not be read to the end.
    int count() const;
    // Whether the content is a PE or NE executable or an icon file at all,
    // which one without icons is too.
    bool recognised() const { return m_container != nullptr; }
    // A failure says why the icon cannot be had in the program's own words
    // ("image data lies beyond the end of the file", the decoder's reason for
    // the best image); "Icon image is not valid" goes before it where the
    // user is told.
    Result<IconImage> icon(int index) const;
    // The resource name or number of icon index; none for an icon file and
    // for an index it lacks.
    GroupName groupName(int index) const;
    // Icon index as it is stored, written as an icon file (a cursor file for
    // a cursor group) of its own: see RebuildGroup. The extract command writes
    // these bytes; whatever keeps an original group should keep them too.
    Result<RebuiltGroup> originalGroup(int index) const;
    // The images of icon index as its group directory names them, for callers
    // that make their own choice among them; empty for an index it lacks.
    std::vector<IconCandidate> images(int index) const;
    // The bytes of one of those images, read from the file; empty when they
    // can no longer be read.
    std::vector<std::uint8_t> imageBytes(const IconCandidate& image) const;

    // Why the file could not be read as far as it was asked for (it became
    // shorter, the disk failed), in words for the user; empty while every read
    // succeeded. Damage within the file is not a failure of this kind.
    std::string readFailure() const;

private:
    std::unique_ptr<files::ByteSource> m_source;
    std::unique_ptr<IconContainer> m_container;
};

} // namespace glyphor::exe
