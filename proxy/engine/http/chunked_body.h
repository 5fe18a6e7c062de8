#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ql {

// Takes the chunks off a request body sent with "Transfer-Encoding: chunked" as its bytes
// arrive, and keeps what they carry. Each chunk is a size in hexadecimal (blanks and extensions
// after a ";" are skipped), CR LF, that many bytes and CR LF; a chunk of size 0 ends the body,
// followed by trailer lines (read and dropped) and an empty line. Every line must end in CR LF.
// A size line over kMaxLine bytes, trailers over kMaxTrailer bytes or any other deviation makes
// the body kBad; a body that would carry more than `limit` bytes is kTooLarge. Both are found
// as soon as the byte that shows them arrives.
class TChunkedBody {
public:
  enum class TState { kMore, kDone, kBad, kTooLarge };
  static constexpr std::size_t kMaxLine = 1024;
  static constexpr std::size_t kMaxTrailer = 4096;

  explicit TChunkedBody(std::uint32_t limit) : limit_(limit) {}

  // Reads bytes[0, n), appending the carried bytes to body. Returns how many bytes it used:
  // all of them, unless the body ended (or turned out bad) before their end.
  std::size_t Feed(const char *bytes, std::size_t n, std::string &body);
  TState State() const { return state_; }

private:
  enum class TPart { kSize, kData, kDataEnd, kTrailer };

  // One byte of a size line or a trailer line.
  void SizeByte(char c, std::size_t held);
  void TrailerByte(char c);

  std::uint32_t limit_;
  TState state_ = TState::kMore;
  TPart part_ = TPart::kSize;
  std::uint64_t size_ = 0;    // the chunk size read so far, then the bytes of the chunk still to come
  std::size_t lineBytes_ = 0; // bytes of the current line so far
  std::size_t trailerBytes_ = 0;
  bool digits_ = false;    // the size line has a digit
  bool blank_ = false;     // a blank has followed the digits
  bool extension_ = false; // the ";" of an extension has come
  bool sawCr_ = false;     // the current line's CR has come
};

} // namespace ql
