#pragma once

#include "proxy/engine/net/pipe.h"

namespace ql {

class TClientPipe;

// The origin-side connection as the network window's dispatch and the browser side see
// it. The fetching itself (lookup, connect, request, relay, storing the answer) is the
// business of the concrete origin-side connection; this class is the narrow seam through
// which the dispatch reaches it. The network window's lists own every instance.
class TServerPipe : public TPipe {
public:
  // Clears the browser side's link to this connection.
  ~TServerPipe() override;

  // The browser-side connection this one fetches for, or none. Both sides clear the link
  // when either closes.
  TClientPipe *ClientPipe = nullptr;
  // Reading from the origin waits while the browser's queue is over its bound; the network
  // window reads again once the browser has taken enough.
  bool ReadPaused = false;
  // The origin ended the connection in order (FD_CLOSE without an error), so an answer
  // without a declared length is whole.
  bool EndedNormally = false;

  // FD_WRITE before the request went out sends it; afterwards the rest of BufferSend.
  virtual bool RequestSent() const = 0;
  virtual void SendRequest() = 0;
  virtual int SendData() = 0;
  // Consumes the receive queue (Buffer); returns the size of the last piece taken.
  virtual int RecvData() = 0;
  virtual void Connected(int errorCode) = 0;
  // The browser went away.
  virtual void AbortConnection() = 0;
  // The host-name lookup of LookupTask finished with errorCode (0: found).
  virtual void LookupDone(int errorCode) = 0;
};

} // namespace ql
