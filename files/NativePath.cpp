#include "files/NativePath.h"

#include "util/Utf8.h"

#include <cstdint>

namespace glyphor::files {

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // U+DC80..U+DCFF carry the bytes 0x80..0xFF

bool IsEscape(char16_t unit)
{
    return unit >= 0xDC80 && unit <= 0xDCFF;
}

// Length of the valid UTF-8 sequence at the start of s and its code point, or
// 0 when the first byte does not begin one. Overlong forms, surrogates and
// values above U+10FFFF are not valid.
std::size_t DecodeOne(std::string_view s, char32_t& code)
{
    const auto b = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    const std::uint8_t lead = b(0);
    std::size_t length;
    char32_t min;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, min = 0x80, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (s.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((b(i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (b(i) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

// A character that a terminal or a list takes as an order rather than a
// letter: a newline starts a line that seems to be the program's own, an
// ESC clears the screen.
bool IsControl(char16_t unit)
{
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F);
}

bool NeedsMarks(QStringView path)
{
    for (const QChar c : path) {
        if (IsEscape(c.unicode()) || IsControl(c.unicode()))
            return true;
    }
    return false;
}

} // namespace

QString FromNativePath(std::string_view bytes)
{
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    while (!bytes.empty()) {
        char32_t code = 0;
        const std::size_t length = DecodeOne(bytes, code);
        if (length == 0) {
            out += QChar(char16_t(kEscapeBase + static_cast<std::uint8_t>(bytes[0])));
            bytes.remove_prefix(1);
            continue;
        }
        if (code < 0x10000) {
            out += QChar(char16_t(code));
        } else {
            out += QChar(QChar::highSurrogate(code));
            out += QChar(QChar::lowSurrogate(code));
        }
        bytes.remove_prefix(length);
    }
    return out;
}

std::string ToNativePath(QStringView path)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(path.size()));
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        if (IsEscape(unit)) {
            out += static_cast<char>(unit - kEscapeBase);
        } else if (QChar::isHighSurrogate(unit) && i + 1 < path.size()
            && QChar::isLowSurrogate(path[i + 1].unicode())) {
            AppendUtf8(out, QChar::surrogateToUcs4(unit, path[i + 1].unicode()));
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            // A stray surrogate that no decoded name holds (typed or pasted
            // text): the system gets the replacement character instead.
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

QString DisplayPath(QStringView path)
{
    if (!NeedsMarks(path))
        return path.toString();
    QString out;
    out.reserve(path.size() + 8);
    const auto mark = [&out](unsigned byte) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        out += QLatin1String("\\x");
        out += QLatin1Char(kHex[byte >> 4]);
        out += QLatin1Char(kHex[byte & 0xF]);
    };
    for (const QChar c : path) {
        const char16_t unit = c.unicode();
        if (IsEscape(unit)) {
            mark(unit - kEscapeBase);
        } else if (IsControl(unit)) {
            // A C1 control is marked as the two bytes that the name holds.
            if (unit >= 0x80)
                mark(0xC2);
            mark(unit);
        } else {
            out += c;
        }
    }
    return out;
}

std::string MessagePath(QStringView path)
{
    return DisplayPath(path).toStdString();
}

QString DisplayMessage(std::string_view message)
{
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.remove_suffix(1);
    return DisplayPath(FromNativePath(message));
}

bool HasUndecodableBytes(QStringView path)
{
    for (const QChar c : path) {
        if (IsEscape(c.unicode()))
            return true;
    }
    return false;
}

bool IsUndecodableByte(QChar c)
{
    return IsEscape(c.unicode());
}

} // namespace glyphor::files
