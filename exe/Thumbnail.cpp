#include "exe/Thumbnail.h"

#include "exe/IconExtractor.h"
#include "iconfile/IconScaler.h"
#include "iconfile/ImageDecoder.h"
#include "iconfile/PngEncoder.h"

#include <algorithm>
#include <tuple>

namespace glyphor::exe {

namespace {

// Images tried, best first, before the icon is given up; the same bound as the
// extraction's, so that a group of hundreds of broken images stays cheap.
constexpr std::size_t kMaxDecodeAttempts = 4;

// The image as the thumbnail shows it: never larger than size pixels on
// either side, a larger one scaled down with its aspect kept.
std::optional<std::vector<std::uint8_t>> EncodeWithin(const IconImage& image, int size)
{
    const ImageSize fit = FitWithin(image.width, image.height, size);
    Result<std::vector<std::uint8_t>> png = fit == ImageSize { image.width, image.height }
        ? EncodePng(image)
        : EncodePng(ScaleIconDown(image, fit.width, fit.height));
    if (!png)
        return std::nullopt;
    return std::move(*png);
}

// The PNG for one image, or nothing when the image does not decode. A PNG is
// decoded to prove that it is sound and within the decoder's limits, and to
// learn its real size (the directory's may differ): one that fits is handed
// to the file manager as the very bytes the executable holds.
std::optional<std::vector<std::uint8_t>> ImageAsPng(std::span<const std::uint8_t> data, int size)
{
    if (IsPng(data)) {
        Result<IconImage> decoded = DecodePng(data);
        if (!decoded || decoded->empty())
            return std::nullopt;
        if (decoded->width <= size && decoded->height <= size)
            return std::vector<std::uint8_t>(data.begin(), data.end());
        return EncodeWithin(*decoded, size);
    }
    Result<IconImage> decoded = DecodeDib(data, DibLayout::Resource);
    if (!decoded || decoded->empty())
        return std::nullopt;
    return EncodeWithin(*decoded, size);
}

} // namespace

std::vector<std::size_t> ThumbnailOrder(const std::vector<IconCandidate>& candidates, int size)
{
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < candidates.size(); ++i)
        if (!candidates[i].data.empty())
            order.push_back(i);
    auto key = [&](std::size_t i) {
        const IconCandidate& c = candidates[i];
        const bool wideEnough = c.width >= size;
        return std::make_tuple(!wideEnough, wideEnough ? c.width : -c.width, -c.bitCount, i);
    };
    std::sort(
        order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
    return order;
}

Result<std::vector<std::uint8_t>> MakeThumbnail(const IconSource& source, int size)
{
    if (source.count() == 0)
        return Failure { source.readFailure().empty() ? std::string(kNoIconsText)
                                                      : source.readFailure() };
    const std::vector<IconCandidate> images = source.images(0);
    const std::vector<std::size_t> order = ThumbnailOrder(images, size);
    for (std::size_t k = 0; k < order.size() && k < kMaxDecodeAttempts; ++k) {
        if (auto png = ImageAsPng(source.imageBytes(images[order[k]]), size))
            return std::move(*png);
    }
    // A file made shorter while it was read says so rather than blaming the image.
    if (!source.readFailure().empty())
        return Failure { source.readFailure() };
    return Failure { kImageNotValidText };
}

Result<std::vector<std::uint8_t>> MakeThumbnail(std::span<const std::uint8_t> file, int size)
{
    return MakeThumbnail(IconSource(file), size);
}

} // namespace glyphor::exe
