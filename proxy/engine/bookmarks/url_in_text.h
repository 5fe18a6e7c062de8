#pragma once

#include <QString>

namespace ql {

// Finding a web address in pasted plain text. Separators end an address: line feed, carriage
// return, blank, double quote, "<" and ">".

// Where an address lies in the text: at the first "//", else at the first "." that has a
// character other than a separator on each side. -1 when there is neither.
qsizetype FindUrlPoint(const QString &text);

// An address and the title to give it.
struct TUrlInText {
  QString url;
  QString title;
};

// The address around point: from the closest separator before it to the closest after it, a
// "." at its end dropped and line feeds, carriage returns, blanks and "/" at its start skipped.
// The title is the text on the longer side of the address: the text before it (when that is the
// longer side; nothing is found when it is shorter than 6 characters), else the text after it,
// or the address itself when that is shorter than 6 characters. Line breaks in the title become
// blanks; it is trimmed and cut to 255 characters. False when nothing is found.
bool ExtractUrlFromText(const QString &text, qsizetype point, TUrlInText &found);

} // namespace ql
