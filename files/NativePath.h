#pragma once
// File and folder names are bytes on this system, and many a name that comes
// out of an archive of old software is not valid UTF-8. The program holds paths
// as QString everywhere; these two functions are the one place where a path
// crosses between QString and the system's bytes, and they cross without loss:
// every byte sequence decodes to a QString that encodes back to the same bytes.
//
// A byte that is not part of a valid UTF-8 sequence decodes to the lone low
// surrogate U+DC80 + (byte - 0x80). No valid UTF-8 decodes to a lone surrogate,
// so the mark cannot be confused with a real character.

#include <QString>

#include <string>
#include <string_view>

namespace glyphor::files {

// The QString for a path or name as the system gives it.
QString FromNativePath(std::string_view bytes);
// The bytes to hand to the system for a path held as QString.
std::string ToNativePath(QStringView path);

// A path or name for people to read: each undecodable byte is shown as \xHH,
// and so is each control character (a tab, a newline, an ESC; a C1 control
// as its two bytes), so that a name can neither break a line nor give a
// terminal an order. Everything else stands as it is.
QString DisplayPath(QStringView path);
// True when the path holds any undecodable byte.
bool HasUndecodableBytes(QStringView path);
// True for the character that stands for an undecodable byte. Text changes
// such as upper case must leave it alone: it is no letter.
bool IsUndecodableByte(QChar c);

// A path as a message names it ("Cannot create file %s"): DisplayPath, as
// UTF-8, so that a message reads the same on a terminal and in a window.
std::string MessagePath(QStringView path);
// A message for people to read. The layers below the QString ones (the icon
// file reader and writer) name a file by its bytes; those that are not UTF-8
// and the control characters are shown as \xHH, as DisplayPath shows them,
// the rest of the text as it stands. A message is one line: line ends at
// its end (some libraries end their messages with one) are left out.
QString DisplayMessage(std::string_view message);

} // namespace glyphor::files
