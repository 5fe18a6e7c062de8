#include "proxy/engine/pages/query_string.h"

#include "proxy/engine/http/text_routines.h"

#include <algorithm>

namespace ql {

namespace {

constexpr qsizetype kParamMax = 255;

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
  bool decoding = true;
  for (qsizetype i = 0; i < n && out.size() < maxLength; ++i) {
    const char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (decoding && c == '%' && i + 2 < n) {
      const int high = HexDigitValue(text[i + 1]);
      const int low = HexDigitValue(text[i + 2]);
      const char decoded = high >= 0 && low >= 0 ? static_cast<char>(high * 16 + low) : ' ';
      out += decoded;
      decoding = decoded != '%';
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
  return text.toPercentEncoding(" /:").replace(' ', '+');
}

QByteArray SizeToText(int64_t bytes) {
  if (bytes < 1024)
    return QByteArray::number(static_cast<qlonglong>(bytes)) + " bytes";
  // The kilobytes in tenths, rounded half up to one decimal or, from 1000 on, to four
  // significant digits: the step is one tenth, then whole kilobytes, then tens of them.
  int64_t step = 1;
  for (int64_t whole = bytes / 1024; whole >= 1000; whole /= 10)
    step *= 10;
  const int64_t unit = step * 1024;
  const int64_t tenths = (bytes / unit * 10 + (bytes % unit * 10 + unit / 2) / unit) * step;
  return QByteArray::number(static_cast<qlonglong>(tenths / 10)) + '.' +
         QByteArray::number(static_cast<qlonglong>(tenths % 10)) + " Kbytes";
}

} // namespace ql
