#pragma once

#include <QByteArray>

#include <string_view>

namespace ql {

// The engine's texts are byte strings. Heap texts may have any length; short texts hold
// at most kShortTextMax characters and cut longer values, as the stored records expect.
constexpr qsizetype kShortTextMax = 255;

// The text cut to a short text.
inline QByteArray ShortText(const QByteArray &text) {
  return text.left(kShortTextMax);
}

// Removes characters with codes up to 32 at both ends, in place.
void TrimBlanks(QByteArray &text);
// The short-text form: the same, and the result cut to a short text.
void TrimBlanksStr(QByteArray &text);
// The text without blanks and control characters (codes up to 32, and 127) at both ends.
std::string_view TrimBlanksAndControls(std::string_view text);

// A name fit for a file, built from the end of the text towards the front: the last "."
// survives, and of every other character only ! # $ % & ' ( ) - 0-9 @ A-Z ^ _ ` a-z { } ~
// remain, in their order. "a.b.c/x?.html" gives "abcx.html".
QByteArray SafeFileName(const QByteArray &text);

// True when text, from its start, equals prefix without regard to ASCII case.
bool StartsWithNoCase(const QByteArray &text, const char *prefix);

// The value of a hexadecimal digit of either case; -1 for any other character.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

} // namespace ql
