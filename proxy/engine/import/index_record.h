#pragma once

#include <QByteArray>

namespace ql {

// One object that a browser's cache index names: its URL, the name of its body file in the
// index's directory (as the index gives it) and its content type (lower-cased).
struct TIndexRecord {
  QByteArray Url;
  QByteArray FileName;
  QByteArray ContentType;
};

} // namespace ql
