#pragma once

#include <QByteArray>

namespace ql {

// Readers of words and attribute values inside HTML tag text. pos is an index into text; each
// reader starts there and leaves pos after what it read. Neither reads past the text's end.

// Word characters: every printable character but the blank, the double quote, "<", "=" and ">".
bool IsHtmlWordChar(char c);

// Skips characters that are not word characters, then returns the word characters that follow,
// upper-cased. Empty at the end of the text.
QByteArray ReadHtmlWord(const QByteArray &text, qsizetype &pos);

// Skips forward to the first word character or double quote. A quoted value runs to the next
// double quote, "<" or ">" and is trimmed of blanks; a bare value runs to a blank, double quote,
// "<" or ">". Control characters are dropped from both. The "=" between a name and its value is
// passed over because it is not a word character.
QByteArray ReadHtmlAttrValue(const QByteArray &text, qsizetype &pos);

} // namespace ql
