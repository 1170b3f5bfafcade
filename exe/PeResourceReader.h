#pragma once
// The icons of a PE32 or PE32+ executable: its RT_GROUP_ICON resources in
// the order of the resource directory, and the RT_ICON images they name; or
// likewise its cursors (RT_GROUP_CURSOR and RT_CURSOR). Reads the headers,
// the section table and the resource directory through checked offsets; the
// image data is read only when an icon is asked for.

#include "exe/IconContainer.h"
#include "exe/PeFormat.h"

#include <cstdint>
#include <optional>
#include <unordered_set>
#include <vector>

namespace glyphor::exe {

class PeResourceReader final : public IconContainer {
public:
    // Most sections read from the section table.
    static constexpr std::size_t kMaxSections = 1024;
    // Most entries read from one resource directory.
    static constexpr std::size_t kMaxDirectoryEntries = 65536;
    // Most language variants read for one resource. Real files carry a few
    // dozen at most; the directories of a hostile tree may overlap, so that
    // 65,536 names with 65,536 languages each fit in a file of 1.5 MB and
    // would take billions of reads.
    static constexpr std::size_t kMaxLanguages = 256;

    // Nothing unless the file begins with a DOS header that leads to a PE
    // header. A PE file without a usable resource directory has no icons.
    // The file must outlive the reader.
    static std::optional<PeResourceReader> open(
        const files::ByteSource& file, GroupKind kind = GroupKind::Icon);

    std::size_t groupCount() const override { return m_groups.size(); }
    GroupName groupName(std::size_t group) const override;
    Result<std::vector<GroupImage>> group(std::size_t group) const override;

    // The group directory bytes of a group (empty when its data is damaged).
    std::vector<std::uint8_t> groupDirectory(std::size_t group) const;
    std::uint32_t groupLanguage(std::size_t group) const { return m_groups.at(group).language; }

    // Where the resource directory lies in the file (for the mutation tests).
    std::uint64_t resourceOffset() const { return m_rsrc.base(); }
    std::uint64_t resourceSize() const { return m_rsrc.size(); }

private:
    struct Group {
        FoundImage directory;
        std::uint32_t language = 0;
        std::uint32_t name = 0; // the name entry's field: an id, or a string's offset
    };
    struct IconName {
        std::uint16_t id;
        std::uint32_t languageDirectory;
    };

    PeResourceReader(const files::ByteSource& file, GroupKind kind)
        : IconContainer(file, kind)
    {
    }
    // The file range of size bytes at rva, cut at the end of its section's
    // raw data and of the file, with the flaw that says where it was cut;
    // empty when rva lies in no section's raw data or beyond the file.
    FoundImage mapRva(std::uint32_t rva, std::uint64_t size) const;
    FoundImage dataEntry(std::uint32_t offset) const;
    void readGroups(std::uint32_t nameDirectory);
    void readIconNames(std::uint32_t nameDirectory);
    FoundImage iconData(std::uint16_t id, std::uint32_t language) const;

    std::vector<SectionHeader> m_sections;
    files::SourceReader m_rsrc; // the resource tree: offsets in it count from its root
    std::vector<Group> m_groups;
    std::vector<IconName> m_icons; // sorted by id; the first stored of an id first
    // Directories already read; one met again would be a loop in the tree.
    std::unordered_set<std::uint32_t> m_visited;
};

} // namespace glyphor::exe
