#pragma once
// Test-only writer of small synthetic executables and icon images, so that
// the readers can be tried on layouts that real files rarely show: named and
// numbered groups in a known order, several languages, missing images,
// truncated and looping directories.

#include "iconfile/IconImage.h"
#include "platform/ByteSource.h"
#include "platform/IconChoice.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glyphor::testing {

using Bytes = std::vector<std::uint8_t>;

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
    std::size_t rsrcOffset = 0;  // file offset of the root resource directory
    std::uint32_t rsrcRva = 0;
    std::size_t typeDirectoryOffsets = 0; // section offset of the first name directory
};

// A PE32 (or PE32+) file with one .rsrc section holding the resources.
// Within each directory named entries come first (the format requires it),
// otherwise everything stays in the order given.
Bytes BuildPe(const std::vector<PeResource>& resources, bool pe32plus = false,
              PeLayout* layout = nullptr);

// A 16-bit NE file with group icons (named or numbered) and numbered icons.
struct NeResource {
    ResId name;
    Bytes data;
};
Bytes BuildNe(const std::vector<NeResource>& groups, const std::vector<NeResource>& icons,
              std::uint16_t alignShift = 4);

// One entry of a group directory.
struct GroupEntry {
    int width = 32; // 256 is written as 0
    int height = 32;
    int bitCount = 4;
    std::uint16_t id = 1;
    std::uint32_t bytes = 0;
};
Bytes MakeGroup(const std::vector<GroupEntry>& entries);

// A plain icon file of the given images, directory entries made from them.
Bytes MakeIcoFile(const std::vector<GroupEntry>& entries, const std::vector<Bytes>& images);

// A BMP-style icon image of bitCount 1, 4, 8, 24 or 32. For depths up to 8
// the colour function returns a palette index (the palette is the 16-colour
// table for 4 bits, black and white for 1, a grey ramp for 8); for 24 and 32
// it returns 0xAARRGGBB. The mask function says which pixels are transparent.
Bytes MakeDib(int width, int height, int bitCount,
              const std::function<std::uint32_t(int, int)>& colour,
              const std::function<bool(int, int)>& transparent);

// The colour that a palette index of MakeDib stands for at the given depth.
std::uint32_t PaletteColour(int bitCount, std::uint32_t index);

// A PNG image of the icon (through the program's own encoder).
Bytes MakePng(const IconImage& icon);

// An image whose pixels are a simple function of x, y and a seed.
Bytes PatternDib(int width, int height, int bitCount, int seed = 0);

// A PE file of one icon: one 32 x 32 image of 4 bits whose pixels follow seed.
Bytes PeWithOneIcon(int seed);
// A PE file of count icons of one 64 x 64 image of 32 bits each (seeds
// firstSeed, firstSeed + 1, ...): each image is larger than a block of the
// file source, so it is read on its own, after the directory.
Bytes PeWithLargeIcons(int count, int firstSeed = 1);

// A reader opened over bytes in memory, together with the source it reads
// through (a reader keeps a reference to its source). The bytes must outlive it.
template <class Reader>
struct Opened {
    std::unique_ptr<platform::MemorySource> source;
    std::optional<Reader> reader;
    explicit operator bool() const { return reader.has_value(); }
    Reader* operator->() { return &*reader; }
    const Reader* operator->() const { return &*reader; }
    const Reader& operator*() const { return *reader; }
};

template <class Reader>
Opened<Reader> Open(const Bytes& bytes)
{
    Opened<Reader> o { std::make_unique<platform::MemorySource>(bytes), std::nullopt };
    o.reader = Reader::open(*o.source);
    return o;
}

// The bytes of an image as a reader locates it in the file.
inline Bytes At(const Bytes& file, const platform::ImageRange& image)
{
    return Bytes(file.begin() + static_cast<std::ptrdiff_t>(image.offset),
                 file.begin() + static_cast<std::ptrdiff_t>(image.offset + image.length));
}

} // namespace glyphor::testing
