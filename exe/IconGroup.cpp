#include "exe/IconGroup.h"

#include "exe/CursorFormat.h"
#include "iconfile/ImageDecoder.h"
#include "util/ByteReader.h"
#include "util/Utf8.h"

#include <algorithm>
#include <cstddef>
#include <optional>

namespace glyphor::exe {

namespace {

// A side in a byte of a file's directory, where 0 stands for 256. A cursor
// group gives sides in 16-bit words; one beyond 256 has no byte that holds it
// and is written as the largest.
std::uint8_t SideByte(unsigned side)
{
    return side >= 256 ? 0 : static_cast<std::uint8_t>(side);
}

// The bytes of an image within its stored range: an NE file rounds each
// resource up to its alignment unit, and the group entry tells how much of
// that is image. A claim that does not fit that rounding is not trusted, and
// every stored byte is kept.
std::uint64_t ImageLength(std::uint64_t stored, std::uint64_t claimed, std::uint64_t alignment)
{
    if (alignment > 1 && claimed > 0 && claimed <= stored && stored - claimed < alignment)
        return claimed;
    return stored;
}

GroupImage IconImageOf(const GroupIconDirEntry& e, const FoundImage& found, std::uint64_t alignment)
{
    GroupImage image;
    image.entry.width = e.width;
    image.entry.height = e.height;
    image.entry.colourCount = e.colourCount;
    image.entry.reserved = e.reserved;
    image.entry.planes = e.planes;
    image.entry.bitCount = e.bitCount;
    image.entry.bytesInRes = e.bytesInRes;
    image.data = found;
    image.length = ImageLength(found.range.length, e.bytesInRes, alignment);
    return image;
}

// The height an image's own header gives: a PNG's, or a bitmap's without
// its mask rows; nothing when the header cannot be read.
std::optional<unsigned> OwnHeight(const files::SourceReader& file, const ImageRange& image)
{
    const std::vector<std::uint8_t> header = ReadImage(
        file, { image.offset, std::min<std::uint64_t>(image.length, kImageHeaderBytes) });
    const ByteReader r(header);
    if (IsPng(header)) {
        const auto png = r.record<PngHeader>(0);
        return png ? std::optional<unsigned>(png->height) : std::nullopt;
    }
    const auto height = r.record<LeI32>(offsetof(BitmapInfoHeader, height));
    if (!height || *height <= 0)
        return std::nullopt;
    return static_cast<unsigned>(*height) / 2;
}

GroupImage CursorImageOf(const GroupCursorDirEntry& e, FoundImage found,
    const files::SourceReader& file, std::uint64_t alignment)
{
    GroupImage image;
    image.entry.width = SideByte(e.width);
    image.entry.height = SideByte(e.height / 2u);
    const std::uint32_t claimed = e.bytesInRes;
    image.entry.bytesInRes = claimed >= sizeof(CursorHotSpot) ? claimed - sizeof(CursorHotSpot) : 0;
    if (!found.range.empty()) {
        const auto hotSpot = found.range.length >= sizeof(CursorHotSpot)
            ? file.record<CursorHotSpot>(found.range.offset)
            : std::nullopt;
        if (hotSpot) {
            image.entry.planes = hotSpot->x;
            image.entry.bitCount = hotSpot->y;
            found.range.offset += sizeof(CursorHotSpot);
            found.range.length -= sizeof(CursorHotSpot);
            // The group counts the mask rows in the height, as the system's
            // resource compiler writes it; other compilers give the height
            // itself, which the image's own header then confirms.
            if (OwnHeight(file, found.range) == unsigned { e.height })
                image.entry.height = SideByte(e.height);
        } else {
            found = { {}, Flaw::NoHotSpot };
        }
    }
    image.data = found;
    image.length = ImageLength(found.range.length, image.entry.bytesInRes, alignment);
    return image;
}

// The entries of a directory that fit in its bytes, and how many it lists
// (at most kMaxGroupImages).
template <class Entry> struct Entries {
    std::vector<Entry> whole;
    std::size_t listed = 0;
};

template <class Entry>
Result<Entries<Entry>> DirectoryEntries(std::span<const std::uint8_t> directory)
{
    const ByteReader r(directory);
    const auto header = r.record<IconDirHeader>(0);
    if (!header)
        return Failure { "group directory is shorter than its header" };
    if (header->count == 0)
        return Failure { "group directory lists no images" };
    const std::size_t fit = (directory.size() - sizeof(IconDirHeader)) / sizeof(Entry);
    if (fit == 0)
        return Failure { "group directory is shorter than its first entry" };
    const std::size_t listed = std::min(std::size_t { header->count }, kMaxGroupImages);
    return Entries<Entry> { *r.records<Entry>(sizeof(IconDirHeader), std::min(listed, fit)),
        listed };
}

// The images a directory lists but whose entries it lacks: named, so that a
// rebuilt group tells what it could not hold.
void AddLostEntries(std::vector<GroupImage>& images, std::size_t listed)
{
    while (images.size() < listed)
        images.push_back({ {}, { {}, Flaw::NoEntry }, 0 });
}

} // namespace

std::string Utf8OfUtf16(std::span<const std::uint16_t> units)
{
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00
            && units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

Result<std::vector<GroupImage>> ReadGroupImages(std::span<const std::uint8_t> directory,
    GroupKind kind, const std::function<FoundImage(std::uint16_t id)>& imageById,
    const files::SourceReader& file, std::uint64_t alignment)
{
    std::vector<GroupImage> images;
    if (kind == GroupKind::Icon) {
        auto entries = DirectoryEntries<GroupIconDirEntry>(directory);
        if (!entries)
            return Failure { entries.message() };
        images.reserve(entries->listed);
        for (const GroupIconDirEntry& e : entries->whole)
            images.push_back(IconImageOf(e, imageById(e.id), alignment));
        AddLostEntries(images, entries->listed);
    } else {
        auto entries = DirectoryEntries<GroupCursorDirEntry>(directory);
        if (!entries)
            return Failure { entries.message() };
        images.reserve(entries->listed);
        for (const GroupCursorDirEntry& e : entries->whole)
            images.push_back(CursorImageOf(e, imageById(e.id), file, alignment));
        AddLostEntries(images, entries->listed);
    }
    return images;
}

std::vector<IconCandidate> CandidatesOf(
    const std::vector<GroupImage>& images, GroupKind kind, const files::SourceReader& file)
{
    std::vector<IconCandidate> out;
    out.reserve(images.size());
    for (const GroupImage& image : images) {
        IconCandidate c;
        c.width = SideFromByte(image.entry.width);
        c.height = SideFromByte(image.entry.height);
        c.data = image.data.range;
        c.flaw = image.data.flaw;
        // A cursor's entry holds its hot spot where the depth would be.
        c.bitCount = kind == GroupKind::Icon
            ? CandidateBitCount(image.entry.bitCount, image.entry.colourCount, file, c.data)
            : CandidateBitCount(0, 0, file, c.data);
        out.push_back(c);
    }
    return out;
}

} // namespace glyphor::exe
