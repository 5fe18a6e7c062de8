#include "proxy/engine/html/html_title.h"

#include "proxy/engine/html/html_tags.h"
#include "proxy/engine/http/text_routines.h"

#include <QFile>

#include <algorithm>

namespace ql {
namespace {

constexpr qsizetype kTitleTagLength = 15;

} // namespace

QByteArray ExtractTitleFromText(const QByteArray &html) {
  THtmlTagReader reader(html, kTitleTagLength);
  QByteArray tag;
  while (reader.Next(tag)) {
    TrimBlanks(tag);
    if (!StartsWithNoCase(tag, "title"))
      continue;
    QByteArray title;
    for (qsizetype pos = reader.Pos(); pos < html.size() && title.size() < kMaxTitleLength; ++pos) {
      const char c = html[pos];
      if (c == '<')
        break;
      if (static_cast<unsigned char>(c) >= 32)
        title.append(c);
    }
    TrimBlanks(title);
    return title;
  }
  return QByteArray();
}

QByteArray ReadScannedFile(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return QByteArray();
  // Reading asks for a buffer of the size asked: ask for the file's own size, not the bound.
  return file.read(std::min(file.size(), kMaxScannedFileSize));
}

QByteArray ExtractTitle(const QString &path) {
  return ExtractTitleFromText(ReadScannedFile(path));
}

} // namespace ql
