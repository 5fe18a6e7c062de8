#include "proxy/engine/http/url_parts.h"

#include "proxy/engine/http/text_routines.h"

#include <QList>

namespace ql {

bool IsHostName(const QByteArray &text) {
  for (char c : text) {
    if (c != '.' && (c < '0' || c > '9'))
      return true;
  }
  return false;
}

std::optional<std::array<std::uint8_t, 4>> ParseDottedQuad(const QByteArray &text) {
  QList<QByteArray> parts = text.split('.');
  if (parts.size() != 4)
    return std::nullopt;
  std::array<std::uint8_t, 4> bytes{};
  for (int i = 0; i < 4; ++i) {
    const QByteArray &part = parts[i];
    if (part.isEmpty() || part.size() > 3)
      return std::nullopt;
    int value = 0;
    for (char c : part) {
      if (c < '0' || c > '9')
        return std::nullopt;
      value = value * 10 + (c - '0');
    }
    if (value > 255)
      return std::nullopt;
    bytes[i] = static_cast<std::uint8_t>(value);
  }
  return bytes;
}

QByteArray UrlFileNamePChar(const QByteArray &url) {
  return url.mid(url.lastIndexOf('/') + 1);
}

QByteArray UrlFileName(const QByteArray &url) {
  return ShortText(UrlFileNamePChar(url));
}

QByteArray UrlTail(const QByteArray &url) {
  return ShortText(UrlFileNamePChar(url));
}

QByteArray UrlDirectory(const QByteArray &url) {
  qsizetype slash = url.lastIndexOf('/');
  return slash < 0 ? QByteArray() : ShortText(url.left(slash));
}

QByteArray StripQuery(const QByteArray &url) {
  qsizetype query = url.indexOf('?');
  return ShortText(query < 0 ? url : url.left(query));
}

} // namespace ql
