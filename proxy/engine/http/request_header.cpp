#include "proxy/engine/http/request_header.h"

#include "proxy/engine/http/http_date.h"

#include <algorithm>
#include <cctype>

namespace ql {
namespace {

bool IsBlankOrControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u <= 32 || u == 127;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlankOrControl(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && IsBlankOrControl(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

std::string ToLower(std::string_view s) {
  std::string lower(s);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

bool IsDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Finds `name` at the start of a header line after the request line, looking in the lower-cased
// copy from offset `from` on. Returns where the line's value ends and sets value to it, taken
// from the original header; npos when no further such line is present.
std::size_t FindField(std::string_view header, const std::string &lower, std::string_view name,
                      std::size_t from, std::string_view &value) {
  std::size_t at = lower.find(name, from);
  while (at != std::string::npos && (at == 0 || lower[at - 1] != '\n')) {
    at = lower.find(name, at + 1);
  }
  if (at == std::string::npos) {
    return std::string_view::npos;
  }
  const std::size_t start = at + name.size();
  std::size_t end = header.find_first_of("\r\n", start);
  if (end == std::string_view::npos) {
    end = header.size();
  }
  value = Trim(header.substr(start, end - start));
  return end;
}

// The first such field; false when it is absent.
bool HeaderValue(std::string_view header, const std::string &lower, std::string_view name,
                 std::string_view &value) {
  return FindField(header, lower, name, 0, value) != std::string_view::npos;
}

// True when every line between the request line and the empty line holds a colon: a line
// without one is no field, and what it was meant to say cannot be known.
bool FieldLinesHaveColons(std::string_view header) {
  std::size_t at = header.find('\n');
  while (at != std::string_view::npos && at + 1 < header.size()) {
    const std::size_t start = at + 1;
    at = header.find('\n', start);
    std::string_view line = header.substr(start, (at == std::string_view::npos ? header.size() : at) - start);
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    if (line.empty()) {
      return true;
    }
    if (line.find(':') == std::string_view::npos) {
      return false;
    }
  }
  return true;
}

// Reads the body's framing: Content-Length (every line of it must say the same) and
// Transfer-Encoding, which a POST may use only as "chunked" and never beside a length.
THeaderFault ReadBodyFraming(std::string_view header, const std::string &lower, TRequestHeader &out) {
  std::string_view coding;
  const std::size_t codingEnd = FindField(header, lower, "transfer-encoding:", 0, coding);
  std::string_view value;
  const std::size_t lengthEnd = FindField(header, lower, "content-length:", 0, value);
  if (codingEnd != std::string_view::npos) {
    std::string_view another;
    if (lengthEnd != std::string_view::npos ||
        FindField(header, lower, "transfer-encoding:", codingEnd, another) != std::string_view::npos) {
      return THeaderFault::kTwoLengths;
    }
    if (out.method == TRequestMethod::kPost) {
      if (ToLower(coding) != "chunked") {
        return THeaderFault::kLengthRequired;
      }
      out.chunked = true;
    }
  }
  if (lengthEnd == std::string_view::npos) {
    return THeaderFault::kNone;
  }
  std::string_view another;
  for (std::size_t at = lengthEnd;
       (at = FindField(header, lower, "content-length:", at, another)) != std::string_view::npos;) {
    if (another != value) {
      return THeaderFault::kTwoLengths;
    }
  }
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
    // A body of unknown length cannot be read, nor forwarded.
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

TRequestMethod MethodOf(const std::string &lower) {
  if (lower.starts_with("get ")) {
    return TRequestMethod::kGet;
  }
  if (lower.starts_with("post")) {
    return TRequestMethod::kPost;
  }
  if (lower.starts_with("head ")) {
    return TRequestMethod::kHead;
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

THeaderFault RequestLineFault(std::string_view requestLine) {
  const std::string_view line = Trim(requestLine);
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
  default:
    return "HTTP/1.0 400 Invalid request\r\nAllow: GET POST\r\n\r\n";
  }
}

std::string CutHttpVersion(std::string_view requestLine) {
  const std::string_view line = Trim(requestLine);
  const std::size_t blank = VersionStart(line);
  if (blank == std::string_view::npos) {
    return std::string(line);
  }
  return std::string(Trim(line.substr(0, blank)));
}

THeaderFault ParseRequestHeader(std::string_view header, TRequestHeader &out) {
  out = TRequestHeader{};
  const std::string lower = ToLower(header);
  out.method = MethodOf(lower);
  if (out.method == TRequestMethod::kNone) {
    return THeaderFault::kUnknownMethod;
  }
  const std::string_view firstLine = header.substr(0, header.find_first_of("\r\n"));
  if (const THeaderFault fault = RequestLineFault(firstLine); fault != THeaderFault::kNone) {
    return fault;
  }
  if (!FieldLinesHaveColons(header)) {
    return THeaderFault::kMalformed;
  }
  out.requestLine = CutHttpVersion(firstLine);

  std::string_view value;
  if (HeaderValue(header, lower, "if-modified-since:", value)) {
    out.ifModifiedSince = ParseHttpDate(QByteArray(value.data(), static_cast<qsizetype>(value.size())));
    out.conditional = out.ifModifiedSince != kNoDate;
  }
  if (HeaderValue(header, lower, "pragma:", value)) {
    out.noCache = value.substr(0, 50) == "no-cache";
  }
  if (HeaderValue(header, lower, "referer:", value)) {
    out.refererLine = ShortLine("Referer: ", value);
  }
  if (HeaderValue(header, lower, "origin:", value)) {
    out.originLine = ShortLine("Origin: ", value);
  }
  if (HeaderValue(header, lower, "user-agent:", value)) {
    out.userAgentLine = ShortLine("User-Agent: ", value);
  }
  if (HeaderValue(header, lower, "host:", value)) {
    out.hostLine = ShortLine("Host: ", value);
  }
  if (HeaderValue(header, lower, "content-type:", value)) {
    out.contentTypeLine = ShortLine("Content-type: ", value);
  }
  if (HeaderValue(header, lower, "authorization:", value)) {
    out.authorizationLine = ShortLine("Authorization: ", value);
  }
  if (HeaderValue(header, lower, "cookie:", value)) {
    out.cookieLine = "Cookie: " + std::string(value);
  }
  return ReadBodyFraming(header, lower, out);
}

} // namespace ql
