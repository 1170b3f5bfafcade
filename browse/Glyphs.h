#pragma once
// The small bitmaps of the browsers, drawn for this program as pixel art.
// Drive kinds are 16 x 11, folder entries 16 x 15, file kinds 16 x 16; pixels
// outside the drawing are transparent.

#include "platform/Volumes.h"

#include <QImage>
#include <QPixmap>

namespace glyphor {

enum class Glyph {
    Floppy,
    Hard,
    Network,
    CdRom,
    Ram,
    OpenFolder,
    CurrentFolder,
    ClosedFolder,
    Executable,
    UnknownFile,
};

// The bitmap, built once and kept.
const QImage& GlyphImage(Glyph glyph);
// The same as a pixmap (needs a GUI application).
QPixmap GlyphPixmap(Glyph glyph);

Glyph GlyphForVolume(platform::VolumeKind kind);
// EXECUTABLE for ".exe", ".com", ".bat" and ".pif" in any case, else UNKNOWNFILE.
Glyph GlyphForFileName(const QString& name);

} // namespace glyphor
