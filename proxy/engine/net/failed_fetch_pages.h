#pragma once

#include <QByteArray>

namespace ql {

// The answers a browser gets in place of the origin's when its fetch fails before the origin
// answered; they are pages in the form of the proxy's other pages, which know that form. The
// router hands them to each origin-side connection it starts for a browser.
class TFailedFetchPages {
public:
  virtual ~TFailedFetchPages() = default;
  // The whole answer for a host name that could not be looked up.
  virtual QByteArray HostNotFound(const QByteArray &host, int port, const QByteArray &path) = 0;
  // The whole answer for an origin that closed the connection without an answer.
  virtual QByteArray ClosedWithoutAnswer(const QByteArray &host, int port, const QByteArray &path) = 0;
  // The whole answer for an origin whose answer cannot be read as HTTP.
  virtual QByteArray UnreadableAnswer(const QByteArray &host, int port, const QByteArray &path) = 0;
};

} // namespace ql
