#include "browse/ItemLayout.h"

#include <algorithm>

namespace glyphor::layout {

namespace {

int centredTop(const QRect& item, int height)
{
    return item.top() + (item.height() - height) / 2;
}

} // namespace

QRect driveGlyphRect(const QRect& item, int glyphWidth, int glyphHeight)
{
    return QRect(item.left() + kDriveGlyphLeft, centredTop(item, glyphHeight), glyphWidth,
        glyphHeight);
}

int driveTextLeft(const QRect& item, int glyphWidth)
{
    return item.left() + glyphWidth + kDriveTextGap;
}

int driveItemHeight(int fontHeight)
{
    return std::max(fontHeight, kDriveMinItemHeight);
}

int folderGlyphOffset(int entryIndex, bool isSubfolder, int separatorCount)
{
    return isSubfolder ? 6 + 4 * separatorCount : 2 + 4 * entryIndex;
}

QRect folderGlyphRect(const QRect& item, int offset, int glyphWidth, int glyphHeight)
{
    return QRect(item.left() + offset, centredTop(item, glyphHeight), glyphWidth, glyphHeight);
}

int folderTextLeft(const QRect& item, int offset, int glyphWidth)
{
    return item.left() + offset + glyphWidth + 4;
}

int folderItemHeight(int fontHeight)
{
    return std::max(fontHeight, kFolderMinItemHeight);
}

QRect fileGlyphRect(const QRect& item, int glyphWidth, int glyphHeight)
{
    return QRect(item.left() + 2, item.top(), glyphWidth, glyphHeight);
}

int fileTextLeft(const QRect& item, bool showGlyphs, int glyphWidth)
{
    return item.left() + (showGlyphs ? glyphWidth + 6 : 2);
}

int fileItemHeight(int fontHeight, bool showGlyphs)
{
    return showGlyphs ? std::max(fontHeight, 16) : fontHeight;
}

} // namespace glyphor::layout
