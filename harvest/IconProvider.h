#pragma once
// Where captures take their icons from, by file and index: the platform's
// extraction for the program, something else for tests that need icons of a
// known picture. (exe::IconSource is another thing: the parsed icons of
// one open file, which the platform's provider keeps for the file at hand.)

#include "catalogue/IconHash.h"
#include "iconfile/IconImage.h"
#include "util/Error.h"
#include "util/GroupName.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace glyphor::exe {
class IconSource;
}

namespace glyphor::files {
class Folder;
}

namespace glyphor {

// A file to take icons from: by its path, by its name in a folder the caller
// holds open (a harvest reads the files of the folders it holds), or as bytes
// in memory (a member of an archive). The path names it for people and tells
// one file from another; the folder and the bytes outlive the calls.
struct IconInput {
    QString path;
    const files::Folder* folder = nullptr;
    QString name; // in folder
    std::span<const std::uint8_t> bytes;

    static IconInput Path(const QString& path) { return { path, nullptr, {}, {} }; }
};

// An icon's original group as the file stores it: its name or number in the
// file, and the group rebuilt as an icon file of all its images.
struct OriginalGroup {
    GroupName name;
    std::vector<std::uint8_t> file;
    // The hash of file, where it was worked out already (by the thread that
    // read the source, beside the others).
    std::optional<catalogue::IconHash> hash;
};

// The original group of the icon at index of a parsed file; nothing when the
// file has no such icon or its group cannot be rebuilt.
std::optional<OriginalGroup> OriginalGroupOf(const exe::IconSource& icons, int index);

// An icon that cannot be captured because of the icon itself: the file gives
// none at that index, or a damaged one, or cannot be read. A harvest skips it
// and goes on; anything else that fails a capture (the folder cannot be
// written) would fail every capture and ends the run.
class EInvalidIcon : public Error {
public:
    using Error::Error;
};

// EInvalidIcon says kImageNotValidText; for an icon that the file has but
// that cannot be had, the reader's reason follows: "Icon image is not valid:
// image data lies beyond the end of the file".
inline std::string InvalidIconMessage(const std::string& reason)
{
    return std::string(kImageNotValidText) + ": " + reason;
}

class IconProvider {
public:
    virtual ~IconProvider() = default;
    // The number of icons of the file; 0 when it gives none.
    virtual int count(const QString& path) const = 0;
    // Icon index of the file; nothing for an index it does not have (-1, the
    // index of an icon picker without selection, included). Raises
    // EInvalidIcon with InvalidIconMessage when the icon is damaged, and
    // Error, naming the file and the reason, when the file can no longer be
    // read as far as the icon needs (another program made it shorter
    // meanwhile).
    virtual std::optional<IconImage> extract(const QString& path, int index) const = 0;

    // The same for an input the caller holds open or in memory; by default by
    // its path.
    virtual int countOf(const IconInput& input) const { return count(input.path); }
    virtual std::optional<IconImage> extractFrom(const IconInput& input, int index) const
    {
        return extract(input.path, index);
    }
    // The original group of icon index, for the catalogue; nothing where the
    // source keeps none.
    virtual std::optional<OriginalGroup> original(const IconInput&, int /*index*/) const
    {
        return std::nullopt;
    }
    // A provider for one more thread: one of its own where this one keeps
    // what it read last for the next call; nothing where this one may be
    // used from several threads at once.
    virtual std::unique_ptr<IconProvider> forAnotherThread() const { return nullptr; }
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
    int countOf(const IconInput& input) const override;
    std::optional<IconImage> extractFrom(const IconInput& input, int index) const override;
    std::optional<OriginalGroup> original(const IconInput& input, int index) const override;
    std::unique_ptr<IconProvider> forAnotherThread() const override;

private:
    struct Parsed;
    // The parsed input, or null when it cannot be read.
    const Parsed* parsed(const IconInput& input) const;
    mutable std::unique_ptr<Parsed> m_last;
};

} // namespace glyphor
