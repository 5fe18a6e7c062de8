#pragma once

#include "proxy/engine/http/dates.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ql {

enum class TRequestMethod : std::uint8_t { kNone = 0, kGet = 1, kPost = 2, kHead = 3 };

// The fields of a browser's request header that the engine uses. The five short lines are
// complete header lines ready to forward ("Referer: " + value), without CR LF, at most
// kShortTextLength characters; each is empty when the browser did not send the field.
struct TRequestHeader {
  TRequestMethod method = TRequestMethod::kNone;
  // The first line of the header without its final " HTTP/x.y" token: the request is
  // handled as HTTP/1.0 whatever version the browser wrote.
  std::string requestLine;
  TDateTime ifModifiedSince = kNoDate;
  bool conditional = false;
  bool noCache = false;
  std::string refererLine;
  // "Origin: " + value; never forwarded, only for telling another site's request apart.
  std::string originLine;
  std::string userAgentLine;
  std::string hostLine;
  std::string contentTypeLine;
  std::string authorizationLine;
  std::string cookieLine; // no length limit
  bool hasLength = false;
  std::uint32_t contentLength = 0;
  // A POST whose body comes in chunks (Transfer-Encoding: chunked). Once the body is read, the
  // chunks are taken off and contentLength is the length of what they carried.
  bool chunked = false;
};

// Why a request was refused. kBadVersion gets "505 HTTP Version Not Supported", kLengthRequired
// "411 Length Required" (a POST body whose length the proxy cannot learn), kNoRoom "503 Service
// Unavailable" (no room left for the POST body in the memory all bodies share), every other fault
// "400 Invalid request" (RefusalAnswer).
enum class THeaderFault {
  kNone,
  kUnknownMethod,
  kBodyTooLarge,
  kHeaderTooLong,
  kMalformed,
  kBadLength,
  kTwoLengths, // lengths that two readers could take two ways: different Content-Lengths, or one
               // beside Transfer-Encoding
  kBadVersion,
  kLengthRequired,
  kNoRoom,
};

constexpr std::size_t kShortTextLength = 255;
// The largest POST body the proxy takes in; a request announcing more is refused.
constexpr std::uint32_t kMaxRequestBody = 16u * 1024u * 1024u;

// Parses a complete request header (every byte up to and including the empty line).
// The method is the whole first word of the request line: GET, POST or HEAD, in any case.
// Fields are read by THeaderFields; the first of a name wins. Returns kNone and fills `out` when
// the request can be handled. Refused: another method (kUnknownMethod), a request line without
// HTTP/1.0 or HTTP/1.1 at its end (RequestLineFault), a field line without a colon or with a
// blank in its name (before its colon, or a folded line), two Content-Length lines that differ,
// Content-Length beside Transfer-Encoding, more than one Transfer-Encoding line, and a POST whose
// Transfer-Encoding is other than "chunked" (kLengthRequired).
THeaderFault ParseRequestHeader(std::string_view header, TRequestHeader &out);

// True while the first bytes of a request can still begin a method the proxy serves and the
// blank after it ("GET ", "POST " or "HEAD ", in any case), as far as they go.
bool CanBeginMethod(std::string_view start);

// The request line without a final " HTTP/x.y" token (any case, any version digits).
std::string CutHttpVersion(std::string_view requestLine);
// kMalformed for a request line without such a token, kBadVersion for a version other than
// 1.0 and 1.1, else kNone.
THeaderFault RequestLineFault(std::string_view requestLine);

// The whole answer to a request refused for fault, ending with the empty line.
const char *RefusalAnswer(THeaderFault fault);

} // namespace ql
