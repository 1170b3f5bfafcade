#pragma once
// Where the owner-drawn browsers put their bitmaps and texts inside an item,
// as plain functions so that the layout is tested without a painter.

#include <QRect>

namespace glyphor::layout {

// Drive list: the bitmap 2 pixels from the left, centred vertically; the text
// at the bitmap's width plus 6. Items are at least 11 pixels high.
constexpr int kDriveGlyphLeft = 2;
constexpr int kDriveTextGap = 6;
constexpr int kDriveMinItemHeight = 11;
QRect DriveGlyphRect(const QRect& item, int glyphWidth, int glyphHeight);
int DriveTextLeft(const QRect& item, int glyphWidth);
int DriveItemHeight(int fontHeight);

// Folder tree list: the bitmap of entry i at 2 + 4 * i; that of a subfolder
// at 6 + 4 * n, n being the number of "/" in the folder shown; centred
// vertically. The text follows at the bitmap's width plus 4, at the top.
// Items are at least 16 pixels high.
constexpr int kFolderMinItemHeight = 16;
int FolderGlyphOffset(int entryIndex, bool isSubfolder, int separatorCount);
QRect FolderGlyphRect(const QRect& item, int offset, int glyphWidth, int glyphHeight);
int FolderTextLeft(const QRect& item, int offset, int glyphWidth);
int FolderItemHeight(int fontHeight);

// File list: the name 2 pixels from the left at the top; with glyphs, the
// glyph at 2 and the name at the glyph's width plus 6, items at least 16 high.
QRect FileGlyphRect(const QRect& item, int glyphWidth, int glyphHeight);
int FileTextLeft(const QRect& item, bool showGlyphs, int glyphWidth);
int FileItemHeight(int fontHeight, bool showGlyphs);

} // namespace glyphor::layout
