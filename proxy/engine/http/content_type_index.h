#pragma once

#include <QByteArray>

#include <cstdint>

namespace ql {

// Numbers the Content-Type values of answers, as the cache keeps them: ParseResponseHeader
// asks it for the number of each answer's type. The cache's MIME table gives the numbers
// and learns a new type as it first meets it, so the call may change the numbering.
class TContentTypeIndex {
public:
  virtual ~TContentTypeIndex() = default;
  // The number of a Content-Type value; 0 for none.
  virtual int32_t MimeTypeIndex(const QByteArray &contentType) = 0;
};

} // namespace ql
