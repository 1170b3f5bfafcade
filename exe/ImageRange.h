#pragma once
// Where an image or a group directory lies in the file, and what is wrong with
// it when it is not all there. The readers find these; the choice of image,
// the capture and the rebuilt groups take them, and say the flaw in words when
// an icon cannot be had.

#include "files/ByteSource.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace glyphor::exe {

// Where an image's bytes lie in the file; empty when the image is missing.
struct ImageRange {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    bool empty() const { return length == 0; }
    bool operator==(const ImageRange&) const = default;
};

// Why a resource is missing (its range empty) or not whole (its range cut).
// A reader records the flaw where it finds it, so that the user learns where
// the file is damaged rather than only that an icon is.
enum class Flaw : std::uint8_t {
    None,
    BeyondEnd, // starts at or after the end of the file
    PastEnd, // starts inside the file and claims bytes past its end: cut there
    PastSection, // runs past the stored part of its section: cut there
    TooLarge, // claims more than kMaxImageBytes: cut there
    Empty, // a resource of no bytes
    NoSection, // its address lies in no stored part of a section
    NotHeld, // the group names an image id that the file lacks
    Loop, // its directory is one of those above it in the resource tree
    NoData, // its directory holds no data entry inside the tree
    NoHotSpot, // a cursor image too short for the hot spot it starts with
    NoEntry, // its group directory ends before the image's entry
};

// The flaw of an image, or of a group directory, in the program's own words.
std::string_view ImageFlawText(Flaw flaw);
std::string_view GroupFlawText(Flaw flaw);

// A resource as a reader found it: where its bytes lie, and the flaw when
// they are not all there.
struct FoundImage {
    ImageRange range;
    Flaw flaw = Flaw::None;
};

// Most bytes read for one image: many times the largest real image (a
// 256 x 256 image of 32 bits is about 270 KB), so that a size claimed by a
// damaged file cannot make one read take the whole file. Longer images are
// cut here, and the decoder refuses them if that leaves them too short.
inline constexpr std::uint64_t kMaxImageBytes = 16u << 20;

// The range of a resource at offset that claims length bytes, cut at the end
// of the file and at kMaxImageBytes; empty when it starts outside the file or
// claims no bytes. The flaw says which of these happened.
FoundImage ClampImage(std::uint64_t offset, std::uint64_t length, std::uint64_t fileSize);

// The bytes of an image; empty when it is missing or cannot be read.
std::vector<std::uint8_t> ReadImage(const files::SourceReader& file, const ImageRange& image);

} // namespace glyphor::exe
