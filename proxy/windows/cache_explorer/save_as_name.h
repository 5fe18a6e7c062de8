#pragma once

#include <QByteArray>
#include <QString>

namespace ql {

// The name rules of Save As for a cached object.

// The filter of the save dialog: HTML, Text, GIF, JPEG, All files (indexes 1 to 5).
inline constexpr char kSaveAsFilter[] =
    "HTML document (*.htm)|*.htm|Text (*.txt)|*.txt |GIF Image (*.gif)|*.gif|"
    "JPEG image (*.jpg)|*.jpg|All files (*.*)|*.*";

// The file name proposed for a URL: the part after the last "/" of the URL cut at its first
// "?"; while the extension (with its dot) is longer than 4 characters the name loses its last
// character, and a name longer than 8 characters before its extension is cut to 8.
QString ProposedSaveName(const QByteArray &url);

// The filter that fits a name's extension: ".htm" 1, ".txt" 2, ".gif" 3, ".jpg" 4, else 5.
int SaveFilterIndex(const QString &name);

// A chosen path without an extension gets the one of the chosen filter (".htm", ".txt",
// ".gif", ".jpg"; none for All files).
QString WithFilterExtension(const QString &path, int filterIndex);

} // namespace ql
