#pragma once

#include "proxy/engine/http/content_type_index.h"
#include "proxy/engine/http/dates.h"
#include "proxy/engine/http/header_end.h"

#include <QByteArray>

#include <cstdint>
#include <string_view>

namespace ql {

// The facts the proxy takes from an origin's response header.
struct TResponseFacts {
  int Status = 0;               // 0 without a proper status line
  bool StatusLine = false;      // the header begins with a proper status line (ParseStatusLine)
  int64_t ContentLength = 0;    // 0 when absent or not a number
  bool LengthDeclared = false;  // a Content-Length field is present...
  bool LengthValid = true;      // ...and its value is a decimal number
  bool LengthsDiffer = false;   // two Content-Length fields say different things
  bool TransferEncoded = false; // a Transfer-Encoding field is present
  QByteArray Location;          // at most 255 characters
  TDateTime LastModified = kNoDate;
  int32_t MimeIndex = 0; // 0 when there is no Content-Type

  // The answer can be read as HTTP: a proper status line and one length at most. Any other is
  // neither relayed nor stored.
  bool Readable() const { return StatusLine && !LengthsDiffer; }
  // An answer of this status carries no body, whatever its header says.
  bool Bodyless() const { return Status == 204 || Status == 304; }
};

// The status of a status line: "HTTP/", the version's digits, a dot and digits, one blank and
// three digits (100 to 999), then a blank or the line's end. 0 for any other line.
int ParseStatusLine(std::string_view line);

// Reads the response header: its status line, and its fields by the names at the start of their
// lines (THeaderFields; the first of a name wins). The Content-Type is numbered by types, which
// may learn it. Beside these, it tells whether the answer can be known complete: a proper status
// line, a declared length that is a number, no Transfer-Encoding.
TResponseFacts ParseResponseHeader(const QByteArray &header, TContentTypeIndex &types);

// Splits the bytes of a response as they arrive into the header and the body. The header ends
// at the first blank line (IsHeaderEnd); a response that has no blank line within its first
// kMaxHeader bytes has no header that the proxy reads, and is no answer it relays.
class TResponseReader {
public:
  static constexpr qsizetype kMaxHeader = 65536;

  struct TStep {
    bool headerEnded = false; // the header ended within this piece (or turned out too long)
    bool noHeader = false;    // no header ended within kMaxHeader bytes
    qsizetype bodyOffset = 0; // where this piece's body bytes start
  };

  // Takes one piece. While the header is being read, its bytes go to HeaderText.
  TStep Feed(const char *bytes, qsizetype n);

  bool InHeader() const { return in_header_; }
  const QByteArray &HeaderText() const { return header_; }
  // Gives up the header text once it has been used.
  void ReleaseHeader() { header_ = QByteArray(); }

private:
  bool in_header_ = true;
  QByteArray header_;
  HeaderEndWindow window_{};
};

} // namespace ql
