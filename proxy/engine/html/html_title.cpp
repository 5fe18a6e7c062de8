#include "proxy/engine/html/html_title.h"

#include "proxy/engine/html/html_entities.h"
#include "proxy/engine/html/html_tags.h"
#include "proxy/engine/http/text_routines.h"

#include <QFile>

#include <algorithm>

namespace ql {
namespace {

constexpr qsizetype kTitleTagLength = 15;
// The most of a title's source text read: enough for a title of kMaxTitleLength characters
// written wholly as character references.
constexpr qsizetype kMaxRawTitle = kMaxTitleLength * 10;

} // namespace

QByteArray ExtractTitleFromText(const QByteArray &html) {
  THtmlTagReader reader(html, kTitleTagLength);
  QByteArray tag;
  while (reader.Next(tag)) {
    TrimBlanks(tag);
    if (!StartsWithNoCase(tag, "title"))
      continue;
    QByteArray raw;
    for (qsizetype pos = reader.Pos(); pos < html.size() && raw.size() < kMaxRawTitle; ++pos) {
      if (html[pos] == '<')
        break;
      raw.append(html[pos]);
    }
    // Decoded here, once: the title is kept and shown as the text it stands for.
    QByteArray title;
    for (const char c : DecodeHtmlEntities(raw)) {
      if (static_cast<unsigned char>(c) >= 32)
        title.append(c);
    }
    TrimBlanks(title);
    title = CutUtf8(title, kMaxTitleLength);
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
