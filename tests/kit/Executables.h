#pragma once
// Small synthetic executables for the tests, so that the readers can be tried
// on layouts that real files rarely show: named and numbered groups in a
// known order, several languages, missing images, truncated and looping
// directories. Every header and directory is written as the record the
// readers declare for it.

#include "exe/IconChoice.h"
#include "exe/PeFormat.h"
#include "files/ByteSource.h"
#include "kit/Bytes.h"
#include "kit/IconImages.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glyphor::kit {

// A resource type or name: a number, or a string when name is not empty.
struct ResId {
    std::uint16_t id = 0;
    std::u16string name;
    static ResId Id(std::uint16_t v) { return { v, {} }; }
    static ResId Name(std::u16string n) { return { 0, std::move(n) }; }
    bool named() const { return !name.empty(); }
    bool operator==(const ResId&) const = default;
};

struct PeResource {
    ResId type;
    ResId name;
    std::uint16_t language = 1033;
    Bytes data;
};

// Where the builder put things, for tests that damage the file on purpose.
struct PeLayout {
    std::size_t fileHeader = 0; // the file (COFF) header, after the signature
    std::size_t optionalHeader = 0;
    std::size_t dataDirectories = 0; // the table after the optional header
    std::size_t sectionHeader = 0; // the one section's header
    std::size_t rsrcOffset = 0; // file offset of the root resource directory
    std::uint32_t rsrcRva = 0;
    std::size_t typeDirectoryOffsets = 0; // section offset of the first name directory
};

// A PE32 (or PE32+) file with one .rsrc section holding the resources.
// Within each directory named entries come first (the format requires it),
// otherwise everything stays in the order given.
Bytes BuildPe(
    const std::vector<PeResource>& resources, bool pe32plus = false, PeLayout* layout = nullptr);

// The resources of one icon: group 1 listing the entries, and the images as
// icons 1, 2, ... in the order given.
std::vector<PeResource> IconResources(
    const std::vector<GroupEntry>& entries, const std::vector<Bytes>& images);

// A PE file of that one icon.
Bytes PeWithIcon(const std::vector<GroupEntry>& entries, const std::vector<Bytes>& images);
// A PE file of one icon: one 32 x 32 image of 4 bits whose pixels follow seed.
Bytes PeWithOneIcon(int seed);
// A PE file of count icons of one 64 x 64 image of 32 bits each (seeds
// firstSeed, firstSeed + 1, ...): each image is larger than a block of the
// file source, so it is read on its own, after the directory.
Bytes PeWithLargeIcons(int count, int firstSeed = 1);

// A 16-bit NE file with group icons (named or numbered) and numbered icons.
struct NeResource {
    ResId name;
    Bytes data;
};
// Where the builder put the NE header and the parts of the resource table.
struct NeLayout {
    std::size_t header = 0;
    std::size_t table = 0;
    std::size_t groupType = 0; // the group type's record; its resources' records follow
    std::size_t iconType = 0; // likewise for the icons
};
Bytes BuildNe(const std::vector<NeResource>& groups, const std::vector<NeResource>& icons,
    std::uint16_t alignShift = 4, NeLayout* layout = nullptr);

// An NE file of any resource types (cursors, icons, both), each type's
// resources in the order given. typeRecords receives where each type's
// record lies.
struct NeType {
    std::uint16_t typeId = 0; // with the 0x8000 bit, as the table holds it
    std::vector<NeResource> resources;
};
Bytes BuildNeTypes(const std::vector<NeType>& types, std::uint16_t alignShift = 4,
    std::vector<std::size_t>* typeRecords = nullptr);

// One image of a cursor group: its size, the cursor resource that holds it,
// and the bytes it claims (hot spot included).
struct CursorEntry {
    int width = 32;
    int height = 32; // written doubled, as groups store it
    std::uint16_t id = 1;
    std::uint32_t bytes = 0;
};

// The group directory that an executable keeps for one cursor.
Bytes MakeCursorGroup(const std::vector<CursorEntry>& entries);
// A cursor image resource: the hot spot, then the image.
Bytes CursorImage(std::uint16_t x, std::uint16_t y, const Bytes& image);

// The file cut where the first copy of image in it starts, with keep bytes of
// the image left: an image that lies beyond the end of the file (keep 0), or
// one cut short by it.
Bytes CutAtImage(const Bytes& file, const Bytes& image, std::size_t keep = 0);
// A PE file of one icon (as PeWithOneIcon) whose one image lies beyond the
// end of the file: the file ends where the image would start.
Bytes PeWithImageBeyondTheEnd(int seed = 1);

// A reader opened over bytes in memory, together with the source it reads
// through (a reader keeps a reference to its source). The bytes must outlive it.
template <class Reader> struct Opened {
    std::unique_ptr<files::MemorySource> source;
    std::optional<Reader> reader;
    explicit operator bool() const { return reader.has_value(); }
    Reader* operator->() { return &*reader; }
    const Reader* operator->() const { return &*reader; }
    const Reader& operator*() const { return *reader; }
};

template <class Reader> Opened<Reader> Open(const Bytes& bytes)
{
    Opened<Reader> o { std::make_unique<files::MemorySource>(bytes), std::nullopt };
    o.reader = Reader::open(*o.source);
    return o;
}

// The bytes of an image as a reader locates it in the file.
inline Bytes At(const Bytes& file, const exe::ImageRange& image)
{
    return Bytes(file.begin() + static_cast<std::ptrdiff_t>(image.offset),
        file.begin() + static_cast<std::ptrdiff_t>(image.offset + image.length));
}

} // namespace glyphor::kit
