#pragma once
// Where captures take their icons from, by file and index: the platform's
// extraction for the program, something else for tests that need icons of a
// known picture. (exe::IconSource is another thing: the parsed icons of
// one open file, which the platform's provider keeps for the file at hand.)

#include "iconfile/IconImage.h"

#include <QString>

#include <memory>
#include <optional>

namespace glyphor {

class IconProvider {
public:
    virtual ~IconProvider() = default;
    // The number of icons of the file; 0 when it gives none.
    virtual int count(const QString& path) const = 0;
    // Icon index of the file; nothing for an index it does not have (-1, the
    // index of an icon picker without selection, included). Raises Error,
    // naming the file and the reason, when the file can no longer be read as
    // far as the icon needs (another program made it shorter meanwhile).
    virtual std::optional<IconImage> extract(const QString& path, int index) const = 0;
};

// The platform's icon extraction. A scan asks for the count of a file and
// then for each of its icons in turn; the file last asked about stays open
// and parsed, so its resource directory is read once, not once per icon. A
// file that changed on disk (another size, time or inode) is read again. A
// file that becomes shorter while it is read has no icons when that happens
// during its count, and gives the error above during an extraction.
class PlatformIconProvider final : public IconProvider {
public:
    PlatformIconProvider();
    ~PlatformIconProvider() override;

    int count(const QString& path) const override;
    std::optional<IconImage> extract(const QString& path, int index) const override;

private:
    struct Parsed;
    // The parsed file for path, or null when it cannot be read.
    const Parsed* parsed(const QString& path) const;
    mutable std::unique_ptr<Parsed> m_last;
};

} // namespace glyphor
