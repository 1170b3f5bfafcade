#include "browse/Glyphs.h"

#include <array>
#include <cstddef>

namespace glyphor {

namespace {

// The art: one character per pixel, "." for transparent. Drawn for this
// program in the 16 colours of the classic palette so that they stay sharp at
// their small sizes.
QRgb ColourOf(char c)
{
    switch (c) {
    case 'k': // black
        return qRgb(0, 0, 0);
    case 'w': // white
        return qRgb(255, 255, 255);
    case 's': // silver
        return qRgb(192, 192, 192);
    case 'g': // grey
        return qRgb(128, 128, 128);
    case 'b': // navy
        return qRgb(0, 0, 128);
    case 'B': // blue
        return qRgb(0, 0, 255);
    case 'y': // yellow
        return qRgb(255, 255, 0);
    case 'Y': // pale yellow
        return qRgb(255, 240, 160);
    case 'o': // olive
        return qRgb(128, 128, 0);
    case 'G': // green
        return qRgb(0, 128, 0);
    case 'L': // lime
        return qRgb(0, 255, 0);
    case 'c': // aqua
        return qRgb(0, 255, 255);
    case 'r': // red
        return qRgb(255, 0, 0);
    default:
        return qRgba(0, 0, 0, 0);
    }
}

const char* const kFloppy[] = {
    "................",
    "..kkkkkkkkkkk...",
    "..kbbsssskbbbk..",
    "..kbbsskskbbbk..",
    "..kbbsssssbbbk..",
    "..kbbbbbbbbbbk..",
    "..kbwwwwwwwwbk..",
    "..kbwkkkkkkwbk..",
    "..kbwwwwwwwwbk..",
    "..kbwkkkkwwwbk..",
    "..kkkkkkkkkkkk..",
};

const char* const kHard[] = {
    "................",
    "................",
    ".kkkkkkkkkkkkkk.",
    "kwwwwwwwwwwwwwwk",
    "kwssssssssssssgk",
    "kwssssssssssssgk",
    "kwsssssssssLLsgk",
    "kwssssssssssssgk",
    "kggggggggggggggk",
    ".kkkkkkkkkkkkkk.",
    "................",
};

const char* const kNetwork[] = {
    ".kkkkkkkkkkkkkk.",
    "kwwwwwwwwwwwwwwk",
    "kwssssssssssssgk",
    "kwsssssssssLLsgk",
    "kggggggggggggggk",
    ".kkkkkkkkkkkkkk.",
    ".......kk.......",
    ".......kk.......",
    "kkkkkkkkkkkkkkkk",
    "GGGGGGGGGGGGGGGG",
    "kkkkkkkkkkkkkkkk",
};

const char* const kCdRom[] = {
    ".....kkkkkk.....",
    "...kkwwwwcckk...",
    "..kwwwwwccccck..",
    ".kwwwwsssscccck.",
    ".kwwwsskkssccck.",
    "kwwwwsk..kscccck",
    ".kwwwsskksscyyk.",
    ".kwwwwssssyyyyk.",
    "..kwwwwwyyyyyk..",
    "...kkwwwyyykk...",
    ".....kkkkkk.....",
};

const char* const kRam[] = {
    "................",
    "................",
    "GGGGGGGGGGGGGGGG",
    "GkkkkGGkkkkGGkkG",
    "GkkkkGGkkkkGGkkG",
    "GkkkkGGkkkkGGkkG",
    "GGGGGGGGGGGGGGGG",
    "GyGyGyG.GyGyGyGG",
    "GyGyGyG.GyGyGyGG",
    "................",
    "................",
};

const char* const kOpenFolder[] = {
    "................",
    "................",
    "..ooooo.........",
    ".oyyyyyo........",
    "oyyyyyyyoooooo..",
    "oyyyyyyyyyyyyo..",
    "oyyyyyyyyyyyyo..",
    "oyyookkkkkkkkkkk",
    "oyokYYYYYYYYYYk.",
    "ookYYYYYYYYYYk..",
    "ookYYYYYYYYYk...",
    "okYYYYYYYYYYk...",
    "okkkkkkkkkkk....",
    "................",
    "................",
};

const char* const kCurrentFolder[] = {
    "................",
    "......kkkkkkk...",
    "..ooookwwwwwk...",
    ".oyyyykwgggwk...",
    "oyyyyykwwwwwkoo.",
    "oyyyyykwgggwkyo.",
    "oyyyyykwwwwwkyo.",
    "oyyookkkkkkkkkkk",
    "oyokYYYYYYYYYYk.",
    "ookYYYYYYYYYYk..",
    "ookYYYYYYYYYk...",
    "okYYYYYYYYYYk...",
    "okkkkkkkkkkk....",
    "................",
    "................",
};

const char* const kClosedFolder[] = {
    "................",
    "................",
    "..ooooo.........",
    ".oyyyyyo........",
    "oyyyyyyyoooooo..",
    "oYYYYYYYYYYYYyo.",
    "oYyyyyyyyyyyyyok",
    "oYyyyyyyyyyyyyok",
    "oYyyyyyyyyyyyyok",
    "oYyyyyyyyyyyyyok",
    "oYyyyyyyyyyyyyok",
    "oooooooooooooook",
    ".kkkkkkkkkkkkkkk",
    "................",
    "................",
};

const char* const kExecutable[] = {
    "................",
    "kkkkkkkkkkkkkkkk",
    "kBBBBBBBBBBkwkwk",
    "kBBBBBBBBBBkkkkk",
    "kkkkkkkkkkkkkkkk",
    "kwwwwwwwwwwwwwsk",
    "kwssssssssssssgk",
    "kws.kkk.kkk.ssgk",
    "kwssssssssssssgk",
    "kwsBBBBBBBBBBsgk",
    "kwsBwwwwwwwwBsgk",
    "kwsBBBBBBBBBBsgk",
    "kwssssssssssssgk",
    "kggggggggggggggk",
    "kkkkkkkkkkkkkkkk",
    "................",
};

const char* const kUnknownFile[] = {
    "..kkkkkkkkk.....",
    "..kwwwwwwwkk....",
    "..kwwwwwwwksk...",
    "..kwwwwwwwkssk..",
    "..kwwwwwwwkkkkk.",
    "..kwwwwwwwwwwwk.",
    "..kwgggggggggwk.",
    "..kwwwwwwwwwwwk.",
    "..kwgggggggggwk.",
    "..kwwwwwwwwwwwk.",
    "..kwgggggggwwwk.",
    "..kwwwwwwwwwwwk.",
    "..kwgggggggggwk.",
    "..kwwwwwwwwwwwk.",
    "..kkkkkkkkkkkkk.",
    "................",
};

struct Art {
    const char* const* rows;
    int height;
};

// The height of a picture is the number of its rows, taken from the table.
template <std::size_t N> Art ArtFrom(const char* const (&rows)[N])
{
    return { rows, int(N) };
}

Art ArtOf(Glyph glyph)
{
    switch (glyph) {
    case Glyph::Floppy:
        return ArtFrom(kFloppy);
    case Glyph::Hard:
        return ArtFrom(kHard);
    case Glyph::Network:
        return ArtFrom(kNetwork);
    case Glyph::CdRom:
        return ArtFrom(kCdRom);
    case Glyph::Ram:
        return ArtFrom(kRam);
    case Glyph::OpenFolder:
        return ArtFrom(kOpenFolder);
    case Glyph::CurrentFolder:
        return ArtFrom(kCurrentFolder);
    case Glyph::ClosedFolder:
        return ArtFrom(kClosedFolder);
    case Glyph::Executable:
        return ArtFrom(kExecutable);
    case Glyph::UnknownFile:
        return ArtFrom(kUnknownFile);
    }
    return ArtFrom(kUnknownFile);
}

QImage Draw(const Art& art)
{
    constexpr int kWidth = 16;
    QImage image(kWidth, art.height, QImage::Format_ARGB32);
    for (int y = 0; y < art.height; ++y) {
        for (int x = 0; x < kWidth; ++x)
            image.setPixel(x, y, ColourOf(art.rows[y][x]));
    }
    return image;
}

} // namespace

const QImage& GlyphImage(Glyph glyph)
{
    static const auto images = [] {
        std::array<QImage, 10> all;
        for (int i = 0; i < int(all.size()); ++i)
            all[i] = Draw(ArtOf(Glyph(i)));
        return all;
    }();
    return images[int(glyph)];
}

QPixmap GlyphPixmap(Glyph glyph)
{
    return QPixmap::fromImage(GlyphImage(glyph));
}

Glyph GlyphForVolume(platform::VolumeKind kind)
{
    switch (kind) {
    case platform::VolumeKind::Removable:
        return Glyph::Floppy;
    case platform::VolumeKind::Fixed:
        return Glyph::Hard;
    case platform::VolumeKind::Network:
        return Glyph::Network;
    case platform::VolumeKind::CdRom:
        return Glyph::CdRom;
    case platform::VolumeKind::Ram:
        return Glyph::Ram;
    }
    return Glyph::Hard;
}

Glyph GlyphForFileName(const QString& name)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return Glyph::UnknownFile;
    const QString ext = name.mid(dot).toLower();
    return ext == QLatin1String(".exe") || ext == QLatin1String(".com")
            || ext == QLatin1String(".bat") || ext == QLatin1String(".pif")
        ? Glyph::Executable
        : Glyph::UnknownFile;
}

} // namespace glyphor
