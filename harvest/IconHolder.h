#pragma once
// A holder of one icon, through which every capture passes. Like the
// platform's icon holders it owns what it holds: giving it another icon destroys the one it
// held, and giving it nothing empties it.

#include "iconfile/IconImage.h"

#include <optional>
#include <utility>

namespace glyphor {

class IconHolder {
public:
    // reportedSize is what the holder reports as width and height for any
    // icon: the system's standard icon size, whatever the icon's own size.
    explicit IconHolder(int reportedSize = kIconSize)
        : m_reportedSize(reportedSize)
    {
    }

    void setIcon(std::optional<IconImage> icon) { m_icon = std::move(icon); }
    void clear() { m_icon.reset(); }

    bool hasIcon() const { return m_icon.has_value(); }
    const std::optional<IconImage>& icon() const { return m_icon; }

    // Also reported when empty, as the platform's holders do, so that an
    // extraction that gave nothing passes the image list's size check and is
    // refused by the list itself.
    int width() const { return m_reportedSize; }
    int height() const { return m_reportedSize; }

private:
    int m_reportedSize;
    std::optional<IconImage> m_icon;
};

} // namespace glyphor
