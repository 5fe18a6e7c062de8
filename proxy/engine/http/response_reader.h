#pragma once

#include "proxy/engine/http/content_type_index.h"
#include "proxy/engine/http/dates.h"
#include "proxy/engine/http/header_end.h"

#include <QByteArray>

#include <cstdint>

namespace ql {

// The facts the proxy takes from an origin's response header.
struct TResponseFacts {
  int Status = 0;               // 0 when absent or not a number
  bool StatusLine = false;      // the header begins with "HTTP/" and a status of 100 to 999
  int64_t ContentLength = 0;    // 0 when absent or not a number
  bool LengthDeclared = false;  // a Content-Length field is present...
  bool LengthValid = true;      // ...and its value is a decimal number
  bool TransferEncoded = false; // a Transfer-Encoding field is present
  QByteArray Location;          // at most 255 characters
  TDateTime LastModified = kNoDate;
  int32_t MimeIndex = 0; // 0 when there is no Content-Type
};

// Reads the response header: each name is looked for in a lower-cased copy, first occurrence
// anywhere; its value is the text after the name up to the next CR or LF, with blanks and
// control characters taken off both ends. The status is the value after "http/", characters
// 5 to 7 ("1.0 200 OK" gives 200). The Content-Type is numbered by types, which may learn it.
// Beside these, it tells whether the answer can be known complete: a proper status line, a
// declared length that is a number, no Transfer-Encoding.
TResponseFacts ParseResponseHeader(const QByteArray &header, TContentTypeIndex &types);

// Splits the bytes of a response as they arrive into the header and the body. The header ends
// at the first blank line (IsHeaderEnd); a response that has no blank line within its first
// kMaxHeader bytes has no header, and everything is body.
class TResponseReader {
public:
  static constexpr qsizetype kMaxHeader = 4000;

  struct TStep {
    bool headerEnded = false; // the header ended within this piece (or turned out absent)
    bool noHeader = false;    // there is no header: HeaderText holds the first body bytes
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
