#include "proxy/engine/http/request_reader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace ql {

namespace {

// True while the bytes so far can still begin "GET ", "POST" or "HEAD " (in any case).
bool CanBeginRequestLine(std::string_view start) {
  static constexpr std::array<std::string_view, 3> kMethods = {"get ", "post", "head "};
  for (const std::string_view method : kMethods) {
    const std::size_t n = std::min(start.size(), method.size());
    bool same = true;
    for (std::size_t i = 0; i < n && same; ++i)
      same = std::tolower(static_cast<unsigned char>(start[i])) == method[i];
    if (same)
      return true;
  }
  return false;
}

// True when the header's last line break and the one before it end the header without the
// CR LF CR LF of a proper end: "\n\n", or "\n\r\n" after a bare line feed.
bool EndsWithBareLineFeeds(std::string_view header) {
  if (header.ends_with("\n\n"))
    return true;
  return header.ends_with("\n\r\n") && !header.ends_with("\r\n\r\n");
}

// True when the header's first line break has just come and the line it ends carries no
// HTTP version: the browser will send nothing more that makes it a request.
bool EndsRequestLineWithoutVersion(std::string_view header) {
  if (header.back() != '\n' || header.find('\n') != header.size() - 1) {
    return false;
  }
  std::string_view line = header.substr(0, header.size() - 1);
  if (line.ends_with('\r')) {
    line.remove_suffix(1);
  }
  return !HasHttpVersion(line);
}

} // namespace

TFeedResult TRequestReader::ProcessHeader() {
  fault_ = ParseRequestHeader(header_, fields_);
  if (fault_ != THeaderFault::kNone) {
    phase_ = TReadPhase::kComplete;
    return TFeedResult::kInvalid;
  }
  if (fields_.method == TRequestMethod::kPost && fields_.contentLength > 0) {
    body_.reserve(fields_.contentLength);
    phase_ = TReadPhase::kBody;
    return TFeedResult::kWaiting;
  }
  phase_ = TReadPhase::kComplete;
  return TFeedResult::kRequestComplete;
}

TFeedResult TRequestReader::Feed(const char *bytes, std::size_t n) {
  if (phase_ == TReadPhase::kComplete) {
    return TFeedResult::kIgnored;
  }
  if (phase_ == TReadPhase::kNothing) {
    phase_ = TReadPhase::kHeader;
  }
  std::size_t i = 0;
  while (i < n && phase_ == TReadPhase::kHeader) {
    header_.push_back(bytes[i++]);
    // Bytes that cannot begin a request, a NUL byte, or a header ended by bare line feeds will
    // never make a request: refuse them at once rather than wait for an end that never comes.
    if ((header_.size() <= 5 && !CanBeginRequestLine(header_)) || header_.back() == '\0' ||
        EndsWithBareLineFeeds(header_) || EndsRequestLineWithoutVersion(header_)) {
      fault_ = THeaderFault::kMalformed;
      phase_ = TReadPhase::kComplete;
      return TFeedResult::kInvalid;
    }
    if (header_.ends_with("\r\n\r\n")) {
      const TFeedResult result = ProcessHeader();
      if (result != TFeedResult::kWaiting) {
        return result;
      }
    } else if (header_.size() >= kHeaderRoom) {
      fault_ = THeaderFault::kHeaderTooLong;
      phase_ = TReadPhase::kComplete;
      return TFeedResult::kInvalid;
    }
  }
  if (phase_ == TReadPhase::kBody && i < n) {
    const std::size_t take = std::min<std::size_t>(n - i, fields_.contentLength - body_.size());
    body_.append(bytes + i, take);
    if (body_.size() == fields_.contentLength) {
      phase_ = TReadPhase::kComplete;
      return TFeedResult::kRequestComplete;
    }
  }
  return TFeedResult::kWaiting;
}

} // namespace ql
