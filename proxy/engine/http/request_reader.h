#pragma once

#include "proxy/engine/http/chunked_body.h"
#include "proxy/engine/http/request_body.h"
#include "proxy/engine/http/request_header.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace ql {

enum class TReadPhase : std::uint8_t { kNothing = 0, kHeader = 1, kBody = 2, kComplete = 3 };

// What one Feed call did to the request.
enum class TFeedResult {
  kWaiting,         // more bytes are needed
  kRequestComplete, // this call completed a request that can be routed
  kInvalid,         // this call found the request unacceptable: answer RefusalAnswer(Fault())
  kIgnored,         // the request was already complete; the bytes were dropped
};

// Reads one browser request from the bytes of a connection: the header up to and including
// the empty line (CR LF CR LF), then a POST body of exactly Content-Length bytes, or in chunks
// (Transfer-Encoding: chunked) that are taken off, so that the body goes on with its length.
// Bytes after a complete request are ignored. The header has room for kHeaderRoom characters;
// a header that fills it without ending is refused, as is a body larger than kMaxRequestBody, a
// POST whose Content-Length is not a number, first bytes that cannot begin "GET ", "POST " or
// "HEAD ", a request line without HTTP/1.0 or HTTP/1.1 at its end, a NUL byte in the header, a
// header that ends with bare line feeds, badly formed chunks and whatever ParseRequestHeader
// refuses; each is refused as soon as it is seen.
//
// With a budget, the body takes its room there before its bytes are kept: the whole declared
// length at the end of the header, a chunked body as its chunks come. A body that finds no room
// is refused (kNoRoom). A refused request keeps no body.
class TRequestReader {
public:
  static constexpr std::size_t kHeaderRoom = 4095;

  explicit TRequestReader(TBodyBudget *budget = nullptr) : body_(budget) {}

  TFeedResult Feed(const char *bytes, std::size_t n);

  TReadPhase Phase() const { return phase_; }
  // Every header byte received, in order.
  const std::string &HeaderText() const { return header_; }
  // The parsed fields; valid once the header is complete.
  const TRequestHeader &Header() const { return fields_; }
  THeaderFault Fault() const { return fault_; }
  // The POST body bytes received so far (all of them once the request is complete).
  const std::string &Body() const { return body_.Bytes(); }
  // The same without a copy (TRequestBody::View).
  QByteArray BodyView() const { return body_.View(); }
  // Hands the body over to the connection that forwards it; the reader keeps none.
  TRequestBody TakeBody() { return std::move(body_); }
  // Lets the body go where nothing takes it.
  void DropBody() { body_.Clear(); }

private:
  // Runs at the end of the header; sets the next phase.
  TFeedResult ProcessHeader();
  // Takes body bytes of a chunked POST.
  TFeedResult FeedChunks(const char *bytes, std::size_t n);
  // Ends the request as refused for fault.
  TFeedResult Refuse(THeaderFault fault);

  TReadPhase phase_ = TReadPhase::kNothing;
  std::string header_;
  TRequestHeader fields_;
  THeaderFault fault_ = THeaderFault::kNone;
  TRequestBody body_;
  TChunkedBody chunks_{kMaxRequestBody};
};

} // namespace ql
