#include "harvest/ImageList.h"

#include "iconfile/IconNormalizer.h"
#include "util/Error.h"

namespace glyphor {

namespace {

// The stored image at index 0: a blank, fully transparent 32 x 32 picture.
IconImage StoredImage()
{
    IconImage image;
    image.width = kIconSize;
    image.height = kIconSize;
    image.pixels.assign(std::size_t(kIconSize) * kIconSize, 0xFF000000u);
    image.mask.assign(std::size_t(kIconSize) * kIconSize, 1);
    return image;
}

} // namespace

ImageList::ImageList()
{
    m_images.push_back(StoredImage());
}

int ImageList::addIcon(const IconHolder& holder)
{
    if (holder.width() < width() || holder.height() < height())
        throw Error("Invalid image size");
    if (!holder.hasIcon() || holder.icon()->empty())
        return -1;
    m_images.push_back(NormalizeIcon(*holder.icon(), kIconSize));
    return count() - 1;
}

std::optional<IconImage> ImageList::getIcon(int index) const
{
    if (index < 0 || index >= count())
        return std::nullopt;
    return m_images[std::size_t(index)];
}

void ImageList::remove(int index)
{
    if (index < 0 || index >= count())
        return;
    m_images.erase(m_images.begin() + index);
}

} // namespace glyphor
