#include "proxy/engine/cache/cache_answer.h"

#include "proxy/engine/cache/mime_table.h"
#include "proxy/engine/http/http_date.h"

namespace ql {

QByteArray CacheHeader(const QByteArray &statusText, const TCacheItem &item, const TMimeTable &mimes) {
  QByteArray header;
  header.reserve(256);
  if (!statusText.isEmpty())
    header += "HTTP/1.0 " + statusText + "\r\n";
  if (item.Status == 301 || item.Status == 302)
    header += "Location: " + item.Location + "\r\n";
  header += "Allow: GET POST\r\nMIME-version: 1.0\r\n";
  if (item.MimeIndex != 0)
    header += "Content-type: " + mimes.MimeTypeName(item.MimeIndex) + "\r\n";
  if (item.LastModified != kNoDate)
    header += "Last-Modified: " + FormatHttpDate(item.LastModified) + "\r\n";
  if (item.Length != 0)
    header += "Content-length: " + QByteArray::number(item.Length) + "\r\n";
  return header + "\r\n";
}

} // namespace ql
