#include "proxy/engine/http/request_reader.h"

#include <algorithm>

namespace ql {

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
