#include "proxy/engine/pages/query_string.h"

#include <algorithm>

namespace ql {

namespace {

constexpr qsizetype kParamMax = 255;

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

qsizetype FindKey(const QByteArray &key, const QByteArray &query) {
  const QByteArray marker = '&' + key + '=';
  const qsizetype at = query.indexOf(marker);
  return at < 0 ? -1 : at + marker.size();
}

} // namespace

QByteArray DecodeQueryString(const QByteArray &text, qsizetype maxLength) {
  QByteArray out;
  out.reserve(std::min(text.size(), std::max<qsizetype>(0, maxLength)));
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n && out.size() < maxLength; ++i) {
    const char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < n) {
      const int high = HexValue(text[i + 1]);
      const int low = HexValue(text[i + 2]);
      out += high >= 0 && low >= 0 ? static_cast<char>(high * 16 + low) : ' ';
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

QByteArray GetQueryParam(const QByteArray &key, const QByteArray &query) {
  const qsizetype start = FindKey(key, query);
  if (start < 0)
    return {};
  const qsizetype end = query.indexOf('&', start);
  return DecodeQueryString(query.mid(start, end < 0 ? -1 : end - start), kParamMax);
}

bool HasQueryParam(const QByteArray &key, const QByteArray &query) {
  return FindKey(key, query) >= 0;
}

QByteArray EncodeQueryValue(const QByteArray &text) {
  return text.toPercentEncoding();
}

QByteArray SizeToText(int64_t bytes) {
  if (bytes < 1024)
    return QByteArray::number(static_cast<qlonglong>(bytes)) + " bytes";
  return QByteArray::number(static_cast<double>(bytes) / 1024.0, 'f', 1) + " Kbytes";
}

} // namespace ql
