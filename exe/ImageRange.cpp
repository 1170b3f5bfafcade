#include "exe/ImageRange.h"

#include <algorithm>

namespace glyphor::exe {

std::string_view ImageFlawText(Flaw flaw)
{
    switch (flaw) {
    case Flaw::None:
        break;
    case Flaw::BeyondEnd:
        return "image data lies beyond the end of the file";
    case Flaw::PastEnd:
        return "image data runs past the end of the file";
    case Flaw::PastSection:
        return "image data runs past the end of its section";
    case Flaw::TooLarge:
        return "image is larger than 16 MB";
    case Flaw::Empty:
        return "image resource is empty";
    case Flaw::NoSection:
        return "image data lies in no section of the file";
    case Flaw::NotHeld:
        return "group directory names no image that the file holds";
    case Flaw::Loop:
        return "image resource lies in a loop of the resource directory";
    case Flaw::NoData:
        return "image resource has no data entry";
    case Flaw::NoHotSpot:
        return "cursor image is shorter than its hot spot";
    case Flaw::NoEntry:
        return "group directory ends before the image's entry";
    }
    return "image is damaged";
}

std::string_view GroupFlawText(Flaw flaw)
{
    switch (flaw) {
    case Flaw::BeyondEnd:
        return "group directory lies beyond the end of the file";
    case Flaw::Empty:
        return "group directory resource is empty";
    case Flaw::NoSection:
        return "group directory lies in no section of the file";
    case Flaw::NoData:
        return "group directory resource has no data entry";
    default:
        // A directory cut short keeps the entries it still holds; the other
        // flaws are those of images.
        break;
    }
    return "group directory is damaged";
}

FoundImage ClampImage(std::uint64_t offset, std::uint64_t length, std::uint64_t fileSize)
{
    if (length == 0)
        return { {}, Flaw::Empty };
    if (offset >= fileSize)
        return { {}, Flaw::BeyondEnd };
    const std::uint64_t room = fileSize - offset;
    const std::uint64_t kept = std::min({ length, room, kMaxImageBytes });
    Flaw flaw = Flaw::None;
    if (kept < length)
        flaw = kept == kMaxImageBytes ? Flaw::TooLarge : Flaw::PastEnd;
    return { { offset, kept }, flaw };
}

std::vector<std::uint8_t> ReadImage(const files::SourceReader& file, const ImageRange& image)
{
    if (image.empty())
        return {};
    return file.bytes(image.offset, image.length).value_or(std::vector<std::uint8_t> {});
}

} // namespace glyphor::exe
