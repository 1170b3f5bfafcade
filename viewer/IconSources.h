#pragma once
// Where the viewer's icons came from, as the catalogues of its folder tell:
// the places an icon file's content was found and the original group it was
// made from. The window asks when its selection changes, so each question is
// one read of a small file, its hash and one query; the catalogues are opened
// at the first question and stay open until the window fills itself again.
//
// Nothing here stands in the user's way: a folder without a catalogue, an
// icon file that cannot be read or was added by hand simply has no sources,
// and a catalogue that cannot be read is only named among the problems.

#include "catalogue/CatalogueReader.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace glyphor {

// Icon files larger than this are not looked up: no harvest writes or
// matches one nearly that large, and hashing it would hold the window.
inline constexpr std::size_t kMaxLookedUpIconFile = std::size_t { 4 } << 20;

// What the catalogues know of one icon file.
struct IconSourcesFound {
    // The hash of the file's content; nothing when the file was not read.
    std::optional<catalogue::IconHash> hash;
    // Each file, archive member and icon index once, at its first capture,
    // oldest first.
    std::vector<catalogue::CatalogueEntry> places;
    // Whether any capture kept its original group.
    bool originalKept = false;
};

class IconSources {
public:
    // The catalogues of folder; nothing is opened yet.
    explicit IconSources(const QString& folder);
    ~IconSources();
    IconSources(const IconSources&) = delete;
    IconSources& operator=(const IconSources&) = delete;

    // The sources of the icon file at path.
    IconSourcesFound lookup(const QString& path);
    // The original group of that content, the largest where several
    // captures kept one; nothing when none was kept.
    std::optional<std::vector<std::uint8_t>> original(const catalogue::IconHash& hash);

    // Whether the folder has a catalogue at all, readable or not.
    bool found();
    // What could not be read so far, in words for the user, as the
    // catalogues name themselves ("The catalogue ... is damaged (...)").
    QStringList problems() const;

private:
    catalogue::CatalogueReader& reader();

    QString m_folder;
    std::unique_ptr<catalogue::CatalogueReader> m_reader;
};

} // namespace glyphor
