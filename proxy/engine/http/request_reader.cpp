#include "proxy/engine/http/request_reader.h"

#include <algorithm>
#include <string_view>

namespace ql {

namespace {

// True when the header's last line break and the one before it end the header without the
// CR LF CR LF of a proper end: "\n\n", or "\n\r\n" after a bare line feed.
bool EndsWithBareLineFeeds(std::string_view header) {
  if (header.ends_with("\n\n"))
    return true;
  return header.ends_with("\n\r\n") && !header.ends_with("\r\n\r\n");
}

// The fault of the request line once the header's first line break has just come: a line without
// an HTTP version, or with one the proxy does not speak, will not become a request whatever
// follows. kNone before that line break and after it.
THeaderFault FirstLineFault(std::string_view header) {
  if (header.back() != '\n' || header.find('\n') != header.size() - 1) {
    return THeaderFault::kNone;
  }
  std::string_view line = header.substr(0, header.size() - 1);
  if (line.ends_with('\r')) {
    line.remove_suffix(1);
  }
  return RequestLineFault(line);
}

} // namespace

TFeedResult TRequestReader::Refuse(THeaderFault fault) {
  fault_ = fault;
  phase_ = TReadPhase::kComplete;
  body_.Clear();
  return TFeedResult::kInvalid;
}

TFeedResult TRequestReader::ProcessHeader() {
  fault_ = ParseRequestHeader(header_, fields_);
  if (fault_ != THeaderFault::kNone) {
    return Refuse(fault_);
  }
  if (fields_.method == TRequestMethod::kPost && (fields_.chunked || fields_.contentLength > 0)) {
    // One block for the whole body: its pages take memory only as the bytes come.
    if (!body_.Reserve(fields_.contentLength, fields_.contentLength)) {
      return Refuse(THeaderFault::kNoRoom);
    }
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
    // Bytes that cannot begin a request, a NUL byte, a header ended by bare line feeds or a
    // request line without a version the proxy speaks will never make a request: refuse them
    // at once rather than wait for an end that never comes.
    if ((header_.size() <= 5 && !CanBeginMethod(header_)) || header_.back() == '\0' ||
        EndsWithBareLineFeeds(header_)) {
      fault_ = THeaderFault::kMalformed;
    } else {
      fault_ = FirstLineFault(header_);
    }
    if (fault_ != THeaderFault::kNone) {
      return Refuse(fault_);
    }
    if (header_.ends_with("\r\n\r\n")) {
      const TFeedResult result = ProcessHeader();
      if (result != TFeedResult::kWaiting) {
        return result;
      }
    } else if (header_.size() >= kHeaderRoom) {
      return Refuse(THeaderFault::kHeaderTooLong);
    }
  }
  if (phase_ == TReadPhase::kBody && i < n) {
    if (fields_.chunked) {
      return FeedChunks(bytes + i, n - i);
    }
    const std::size_t take = std::min<std::size_t>(n - i, fields_.contentLength - body_.Size());
    body_.Bytes().append(bytes + i, take);
    if (body_.Size() == fields_.contentLength) {
      phase_ = TReadPhase::kComplete;
      return TFeedResult::kRequestComplete;
    }
  }
  return TFeedResult::kWaiting;
}

TFeedResult TRequestReader::FeedChunks(const char *bytes, std::size_t n) {
  // The chunks carry at most the bytes they come in.
  if (!body_.Reserve(body_.Size() + n, kMaxRequestBody)) {
    return Refuse(THeaderFault::kNoRoom);
  }
  chunks_.Feed(bytes, n, body_.Bytes());
  switch (chunks_.State()) {
  case TChunkedBody::TState::kMore:
    return TFeedResult::kWaiting;
  case TChunkedBody::TState::kDone:
    // The body goes on with its length, as if the browser had sent it so.
    fields_.hasLength = true;
    fields_.contentLength = static_cast<std::uint32_t>(body_.Size());
    phase_ = TReadPhase::kComplete;
    return TFeedResult::kRequestComplete;
  case TChunkedBody::TState::kBad:
    return Refuse(THeaderFault::kMalformed);
  case TChunkedBody::TState::kTooLarge:
    return Refuse(THeaderFault::kBodyTooLarge);
  }
  return Refuse(THeaderFault::kMalformed);
}

} // namespace ql
