#include "proxy/engine/http/request_header.h"

#include "proxy/engine/http/header_fields.h"
#include "proxy/engine/http/http_date.h"
#include "proxy/engine/http/text_routines.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace ql {
namespace {

std::string ToLower(std::string_view s) {
  std::string lower(s);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

bool IsDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Reads the body's framing: Content-Length (every line of it must say the same) and
// Transfer-Encoding, which a POST may use only as "chunked" and never beside a length.
THeaderFault ReadBodyFraming(const THeaderFields &fields, TRequestHeader &out) {
  const THeaderFields::TRepeats codings = fields.Repeats("transfer-encoding");
  const THeaderFields::TRepeats lengths = fields.Repeats("content-length");
  if (codings.count > 0) {
    if (lengths.count > 0 || codings.count > 1) {
      return THeaderFault::kTwoLengths;
    }
    if (out.method == TRequestMethod::kPost) {
      if (ToLower(*fields.First("transfer-encoding")) != "chunked") {
        return THeaderFault::kLengthRequired;
      }
      out.chunked = true;
    }
  }
  if (lengths.count == 0) {
    return THeaderFault::kNone;
  }
  if (lengths.differ) {
    return THeaderFault::kTwoLengths;
  }
  const std::string_view value = *fields.First("content-length");
  out.hasLength = true;
  if (IsDigits(value)) {
    // Longer digit runs than any accepted length are refused without converting them.
    const std::string_view digits = value.substr(std::min(value.find_first_not_of('0'), value.size()));
    if (digits.size() > 9) {
      return THeaderFault::kBodyTooLarge;
    }
    const std::uint64_t length = digits.empty() ? 0 : std::stoull(std::string(digits));
    if (length > kMaxRequestBody) {
      return THeaderFault::kBodyTooLarge;
    }
    out.contentLength = static_cast<std::uint32_t>(length);
  } else if (out.method == TRequestMethod::kPost) {
    // A body of unknown length can be neither read nor forwarded.
    return THeaderFault::kBadLength;
  }
  return THeaderFault::kNone;
}

std::string ShortLine(std::string_view prefix, std::string_view value) {
  std::string line(prefix);
  line.append(value);
  if (line.size() > kShortTextLength) {
    line.resize(kShortTextLength);
  }
  return line;
}

// The methods the proxy serves, by their names in lower case.
struct TMethodName {
  std::string_view name;
  TRequestMethod method;
};
constexpr std::array<TMethodName, 3> kMethods = {
    {{"get", TRequestMethod::kGet}, {"post", TRequestMethod::kPost}, {"head", TRequestMethod::kHead}}};

// The method is the whole first word of the request line, in any case.
TRequestMethod MethodOf(std::string_view requestLine) {
  const std::string word = ToLower(requestLine.substr(0, requestLine.find(' ')));
  for (const TMethodName &method : kMethods) {
    if (word == method.name) {
      return method.method;
    }
  }
  return TRequestMethod::kNone;
}

} // namespace

namespace {

// Where the final " HTTP/x.y" token of the trimmed request line begins, or npos.
std::size_t VersionStart(std::string_view line) {
  const std::size_t blank = line.find_last_of(' ');
  if (blank == std::string_view::npos) {
    return std::string_view::npos;
  }
  const std::string token = ToLower(line.substr(blank + 1));
  const std::size_t dot = token.find('.');
  if (!token.starts_with("http/") || dot == std::string::npos ||
      !IsDigits(std::string_view(token).substr(5, dot - 5)) ||
      !IsDigits(std::string_view(token).substr(dot + 1))) {
    return std::string_view::npos;
  }
  return blank;
}

} // namespace

bool CanBeginMethod(std::string_view start) {
  const std::string lower = ToLower(start);
  for (const TMethodName &method : kMethods) {
    const std::string word = std::string(method.name) + ' ';
    const std::size_t n = std::min(lower.size(), word.size());
    if (lower.compare(0, n, word, 0, n) == 0) {
      return true;
    }
  }
  return false;
}

THeaderFault RequestLineFault(std::string_view requestLine) {
  const std::string_view line = TrimBlanksAndControls(requestLine);
  const std::size_t blank = VersionStart(line);
  if (blank == std::string_view::npos) {
    return THeaderFault::kMalformed;
  }
  // The token is "http/" in any case, then the digits.
  const std::string_view version = line.substr(blank + 6);
  return version == "1.0" || version == "1.1" ? THeaderFault::kNone : THeaderFault::kBadVersion;
}

const char *RefusalAnswer(THeaderFault fault) {
  switch (fault) {
  case THeaderFault::kBadVersion:
    return "HTTP/1.0 505 HTTP Version Not Supported\r\nAllow: GET POST\r\n\r\n";
  case THeaderFault::kLengthRequired:
    return "HTTP/1.0 411 Length Required\r\nAllow: GET POST\r\n\r\n";
  case THeaderFault::kNoRoom:
    return "HTTP/1.0 503 Service Unavailable\r\nAllow: GET POST\r\n\r\n";
  default:
    return "HTTP/1.0 400 Invalid request\r\nAllow: GET POST\r\n\r\n";
  }
}

std::string CutHttpVersion(std::string_view requestLine) {
  const std::string_view line = TrimBlanksAndControls(requestLine);
  const std::size_t blank = VersionStart(line);
  if (blank == std::string_view::npos) {
    return std::string(line);
  }
  return std::string(TrimBlanksAndControls(line.substr(0, blank)));
}

THeaderFault ParseRequestHeader(std::string_view header, TRequestHeader &out) {
  out = TRequestHeader{};
  const std::string_view firstLine = header.substr(0, header.find_first_of("\r\n"));
  out.method = MethodOf(firstLine);
  if (out.method == TRequestMethod::kNone) {
    return THeaderFault::kUnknownMethod;
  }
  if (const THeaderFault fault = RequestLineFault(firstLine); fault != THeaderFault::kNone) {
    return fault;
  }
  // A line that is no field, or a name with a blank before its colon, could be read as another
  // field (or none) by the origin: what the browser meant cannot be known.
  const THeaderFields fields(header);
  if (fields.LineWithoutColon() || fields.BlankInName()) {
    return THeaderFault::kMalformed;
  }
  out.requestLine = CutHttpVersion(firstLine);

  if (const auto value = fields.First("if-modified-since")) {
    out.ifModifiedSince = ParseHttpDate(QByteArray(value->data(), static_cast<qsizetype>(value->size())));
    out.conditional = out.ifModifiedSince != kNoDate;
  }
  if (const auto value = fields.First("pragma")) {
    out.noCache = value->substr(0, 50) == "no-cache";
  }
  const auto shortLine = [&](const char *name, std::string_view prefix, std::string &line) {
    if (const auto value = fields.First(name)) {
      line = ShortLine(prefix, *value);
    }
  };
  shortLine("referer", "Referer: ", out.refererLine);
  shortLine("origin", "Origin: ", out.originLine);
  shortLine("user-agent", "User-Agent: ", out.userAgentLine);
  shortLine("host", "Host: ", out.hostLine);
  shortLine("content-type", "Content-type: ", out.contentTypeLine);
  shortLine("authorization", "Authorization: ", out.authorizationLine);
  if (const auto value = fields.First("cookie")) {
    out.cookieLine = "Cookie: " + std::string(*value);
  }
  return ReadBodyFraming(fields, out);
}

} // namespace ql
