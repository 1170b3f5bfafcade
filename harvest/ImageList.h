#pragma once
// The 32 x 32 masked image list through which every captured icon passes. It starts with the one
// image of its stored contents at index 0, which is never drawn or read, so an icon added by a
// capture always lands at index 1 and is removed again before the capture ends.

#include "harvest/IconHolder.h"
#include "iconfile/IconImage.h"

#include <optional>
#include <vector>

namespace glyphor {

class ImageList {
public:
    ImageList();

    int width() const { return kIconSize; }
    int height() const { return kIconSize; }
    int count() const { return int(m_images.size()); }

    // Appends the holder's icon, turned into the list's 32 x 32 colour image
    // and mask, and returns its index; -1 when the holder holds no icon.
    // Raises Error "Invalid image size" when the holder reports a width or
    // height below the list's, before anything is added.
    int addIcon(const IconHolder& holder);

    // A new icon built from image index and its mask; nothing when there is
    // no such image.
    std::optional<IconImage> getIcon(int index) const;

    // Removes one image; those behind it move down by one.
    void remove(int index);

private:
    std::vector<IconImage> m_images;
};

} // namespace glyphor
