#pragma once

#include <QByteArray>
#include <QString>

namespace ql {

// The longest title kept, and the most of a file that the scanners read.
constexpr qsizetype kMaxTitleLength = 100;
constexpr qint64 kMaxScannedFileSize = 64 * 1024 * 1024;

// The title of an HTML text: the text after the first tag whose trimmed text begins "title"
// (any case), up to the next "<" or the end, with its character references decoded ("&amp;"
// gives "&"), control characters dropped, blanks trimmed and cut to 100 bytes without splitting
// a UTF-8 sequence. Empty when there is no title tag.
QByteArray ExtractTitleFromText(const QByteArray &html);

// The same for a stored file, read whole (at most kMaxScannedFileSize bytes). Empty when the
// file cannot be read.
QByteArray ExtractTitle(const QString &path);

// Reads at most kMaxScannedFileSize bytes of a file; empty when it cannot be read.
QByteArray ReadScannedFile(const QString &path);

} // namespace ql
