#include "proxy/engine/http/response_reader.h"

#include "proxy/engine/http/http_date.h"
#include "proxy/engine/http/text_routines.h"

namespace ql {

namespace {

// The value of the first "name" in the lower-cased header, or a null array when absent.
QByteArray HeaderValue(const QByteArray &header, const QByteArray &lower, const char *name) {
  const qsizetype at = lower.indexOf(name);
  if (at < 0)
    return QByteArray();
  const qsizetype start = at + qsizetype(qstrlen(name));
  qsizetype end = start;
  while (end < header.size() && header[end] != '\r' && header[end] != '\n')
    ++end;
  QByteArray value = header.mid(start, end - start);
  TrimBlanks(value);
  if (value.isNull())
    value = QByteArray("");
  return value;
}

int64_t DecimalOrZero(const QByteArray &text) {
  bool ok = false;
  const qlonglong value = text.toLongLong(&ok);
  return ok && value >= 0 ? value : 0;
}

} // namespace

TResponseFacts ParseResponseHeader(const QByteArray &header, TContentTypeIndex &types) {
  TResponseFacts facts;
  if (header.isEmpty())
    return facts;
  const QByteArray lower = header.toLower();
  const QByteArray length = HeaderValue(header, lower, "content-length:");
  facts.ContentLength = DecimalOrZero(length);
  facts.LengthDeclared = !length.isNull();
  if (facts.LengthDeclared) {
    bool ok = false;
    const qlonglong value = length.toLongLong(&ok);
    facts.LengthValid = ok && value >= 0 && !length.isEmpty() && length[0] >= '0' && length[0] <= '9';
  }
  facts.TransferEncoded = lower.contains("\ntransfer-encoding:");
  facts.Location = ShortText(HeaderValue(header, lower, "location:"));
  const QByteArray modified = HeaderValue(header, lower, "last-modified:");
  if (!modified.isNull())
    facts.LastModified = ParseHttpDate(modified);
  const QByteArray type = HeaderValue(header, lower, "content-type:");
  if (!type.isNull())
    facts.MimeIndex = types.MimeTypeIndex(type);
  const QByteArray version = HeaderValue(header, lower, "http/");
  facts.Status = static_cast<int>(DecimalOrZero(version.mid(4, 3)));
  facts.StatusLine = lower.startsWith("http/") && version.size() >= 7 && facts.Status >= 100 &&
                     facts.Status <= 999 && version[4] >= '1' && version[4] <= '9';
  return facts;
}

TResponseReader::TStep TResponseReader::Feed(const char *bytes, qsizetype n) {
  TStep step;
  if (!in_header_)
    return step;
  for (qsizetype i = 0; i < n; ++i) {
    header_ += bytes[i];
    if (header_.size() > kMaxHeader) {
      in_header_ = false;
      step.headerEnded = true;
      step.noHeader = true;
      step.bodyOffset = i + 1;
      return step;
    }
    ShiftHeaderEndWindow(window_, bytes[i]);
    if (IsHeaderEnd(window_)) {
      in_header_ = false;
      step.headerEnded = true;
      step.bodyOffset = i + 1;
      return step;
    }
  }
  step.bodyOffset = n;
  return step;
}

} // namespace ql
