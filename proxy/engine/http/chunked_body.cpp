#include "proxy/engine/http/chunked_body.h"

#include "proxy/engine/http/text_routines.h"

#include <algorithm>

namespace ql {

void TChunkedBody::SizeByte(char c, std::size_t held) {
  if (++lineBytes_ > kMaxLine) {
    state_ = TState::kBad;
    return;
  }
  if (sawCr_) {
    if (c != '\n' || !digits_) {
      state_ = TState::kBad;
      return;
    }
    lineBytes_ = 0;
    sawCr_ = false;
    digits_ = false;
    blank_ = false;
    extension_ = false;
    part_ = size_ == 0 ? TPart::kTrailer : TPart::kData;
    return;
  }
  if (c == '\r') {
    sawCr_ = true;
    return;
  }
  const int digit = HexDigitValue(c);
  if (digit >= 0 && !blank_ && !extension_) {
    digits_ = true;
    size_ = size_ * 16 + static_cast<std::uint64_t>(digit);
    // size_ stays within the limit, so it never overflows.
    if (size_ > limit_ - held)
      state_ = TState::kTooLarge;
  } else if (digits_ && !extension_ && (c == ' ' || c == '\t')) {
    blank_ = true;
  } else if (digits_ && c == ';') {
    extension_ = true;
  } else if (!extension_ || c == '\n' || c == '\0') {
    state_ = TState::kBad;
  }
}

void TChunkedBody::TrailerByte(char c) {
  if (++trailerBytes_ > kMaxTrailer) {
    state_ = TState::kBad;
    return;
  }
  if (sawCr_) {
    sawCr_ = false;
    if (c != '\n')
      state_ = TState::kBad;
    else if (lineBytes_ == 0)
      state_ = TState::kDone;
    lineBytes_ = 0;
    return;
  }
  if (c == '\r')
    sawCr_ = true;
  else if (c == '\n' || c == '\0')
    state_ = TState::kBad;
  else
    ++lineBytes_;
}

std::size_t TChunkedBody::Feed(const char *bytes, std::size_t n, std::string &body) {
  std::size_t i = 0;
  while (i < n && state_ == TState::kMore) {
    switch (part_) {
    case TPart::kSize:
      SizeByte(bytes[i++], body.size());
      break;
    case TPart::kData: {
      const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(n - i, size_));
      body.append(bytes + i, take);
      i += take;
      size_ -= take;
      if (size_ == 0)
        part_ = TPart::kDataEnd;
      break;
    }
    case TPart::kDataEnd:
      // The CR LF after a chunk's bytes.
      if (bytes[i++] != (sawCr_ ? '\n' : '\r')) {
        state_ = TState::kBad;
      } else if (sawCr_) {
        sawCr_ = false;
        part_ = TPart::kSize;
      } else {
        sawCr_ = true;
      }
      break;
    case TPart::kTrailer:
      TrailerByte(bytes[i++]);
      break;
    }
  }
  return i;
}

} // namespace ql
