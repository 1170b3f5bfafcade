#include "browse/ItemLayout.h"

#include <algorithm>

namespace glyphor::layout {

namespace {

int CentredTop(const QRect& item, int height)
{
    return item.top() + (item.height() - height) / 2;
}

} // namespace

QRect DriveGlyphRect(const QRect& item, int glyphWidth, int glyphHeight)
{
    return QRect(
        item.left() + kDriveGlyphLeft, CentredTop(item, glyphHeight), glyphWidth, glyphHeight);
}

int DriveTextLeft(const QRect& item, int glyphWidth)
{
    return item.left() + glyphWidth + kDriveTextGap;
}

int DriveItemHeight(int fontHeight)
{
    return std::max(fontHeight, kDriveMinItemHeight);
}

int FolderGlyphOffset(int entryIndex, bool isSubfolder, int separatorCount)
{
    return isSubfolder ? 6 + 4 * separatorCount : 2 + 4 * entryIndex;
}

QRect FolderGlyphRect(const QRect& item, int offset, int glyphWidth, int glyphHeight)
{
    return QRect(item.left() + offset, CentredTop(item, glyphHeight), glyphWidth, glyphHeight);
}

int FolderTextLeft(const QRect& item, int offset, int glyphWidth)
{
    return item.left() + offset + glyphWidth + 4;
}

int FolderItemHeight(int fontHeight)
{
    return std::max(fontHeight, kFolderMinItemHeight);
}

QRect FileGlyphRect(const QRect& item, int glyphWidth, int glyphHeight)
{
    return QRect(item.left() + 2, item.top(), glyphWidth, glyphHeight);
}

int FileTextLeft(const QRect& item, bool showGlyphs, int glyphWidth)
{
    return item.left() + (showGlyphs ? glyphWidth + 6 : 2);
}

int FileItemHeight(int fontHeight, bool showGlyphs)
{
    return showGlyphs ? std::max(fontHeight, 16) : fontHeight;
}

} // namespace glyphor::layout
