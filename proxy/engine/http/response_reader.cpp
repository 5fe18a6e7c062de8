#include "proxy/engine/http/response_reader.h"

#include "proxy/engine/http/header_fields.h"
#include "proxy/engine/http/http_date.h"
#include "proxy/engine/http/text_routines.h"

#include <algorithm>
#include <string>

namespace ql {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The digits at the front of text, taken off it.
std::string_view TakeDigits(std::string_view &text) {
  std::size_t n = 0;
  while (n < text.size() && IsDigit(text[n]))
    ++n;
  const std::string_view digits = text.substr(0, n);
  text.remove_prefix(n);
  return digits;
}

QByteArray Bytes(std::string_view text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

int ParseStatusLine(std::string_view line) {
  if (line.size() < 5 || QByteArrayView(line.data(), 5).compare("HTTP/", Qt::CaseInsensitive) != 0)
    return 0;
  line.remove_prefix(5);
  if (TakeDigits(line).empty() || !line.starts_with('.'))
    return 0;
  line.remove_prefix(1);
  if (TakeDigits(line).empty() || !line.starts_with(' '))
    return 0;
  line.remove_prefix(1);
  const std::string_view code = TakeDigits(line);
  if (code.size() != 3 || code[0] == '0' || !(line.empty() || line.front() == ' ' || line.front() == '\r'))
    return 0;
  return (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
}

TResponseFacts ParseResponseHeader(const QByteArray &header, TContentTypeIndex &types) {
  TResponseFacts facts;
  if (header.isEmpty())
    return facts;
  const std::string_view text(header.constData(), static_cast<std::size_t>(header.size()));
  facts.Status = ParseStatusLine(text.substr(0, text.find('\n')));
  facts.StatusLine = facts.Status != 0;
  const THeaderFields fields(text);
  const THeaderFields::TRepeats lengths = fields.Repeats("content-length");
  facts.LengthDeclared = lengths.count > 0;
  facts.LengthsDiffer = lengths.differ;
  if (facts.LengthDeclared) {
    const std::string_view length = *fields.First("content-length");
    facts.LengthValid =
        !length.empty() && length.size() <= 18 && std::all_of(length.begin(), length.end(), IsDigit);
    if (facts.LengthValid)
      facts.ContentLength = std::stoll(std::string(length));
  }
  facts.TransferEncoded = fields.First("transfer-encoding").has_value();
  if (const auto location = fields.First("location"))
    facts.Location = ShortText(Bytes(*location));
  if (const auto modified = fields.First("last-modified"))
    facts.LastModified = ParseHttpDate(Bytes(*modified));
  if (const auto type = fields.First("content-type"))
    facts.MimeIndex = types.MimeTypeIndex(Bytes(*type));
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
