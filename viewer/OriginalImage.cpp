#include "viewer/OriginalImage.h"

#include "exe/IconExtractor.h"
#include "exe/Thumbnail.h"
#include "iconfile/ImageDecoder.h"

#include <string>

namespace glyphor {

namespace {

// Images tried, largest first, before the picture is given up, so that a
// group of hundreds of broken images costs no more than a few decodes.
constexpr std::size_t kMaxDecodeAttempts = 4;

} // namespace

Result<OriginalImage> LargestOriginalImage(std::span<const std::uint8_t> group)
{
    const exe::IconSource source(group);
    if (source.count() == 0)
        return Failure { "The original icon is not an icon file" };
    const std::vector<exe::IconCandidate> images = source.images(0);
    // Wider than any image can be: the thumbnail's order then begins with
    // the largest and goes on shrinking.
    const std::vector<std::size_t> order = exe::ThumbnailOrder(images, kMaxImageSide + 1);
    std::string reason = "no image is there";
    for (std::size_t k = 0; k < order.size() && k < kMaxDecodeAttempts; ++k) {
        const exe::IconCandidate& candidate = images[order[k]];
        const std::vector<std::uint8_t> bytes = source.imageBytes(candidate);
        // The images are kept as the executable stored them, so their
        // headers are read as the system reads a resource's.
        Result<IconImage> decoded = DecodeIconImage(bytes, DibLayout::Resource);
        if (!decoded || decoded->empty()) {
            if (k == 0)
                reason = decoded ? std::string("the image is empty") : decoded.message();
            continue;
        }
        return OriginalImage { std::move(*decoded), candidate.bitCount, IsPng(bytes),
            static_cast<int>(images.size()) };
    }
    return Failure { std::string(kImageNotValidText) + ": " + reason };
}

} // namespace glyphor
