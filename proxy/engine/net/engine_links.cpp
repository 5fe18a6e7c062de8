#include "proxy/engine/net/engine_links.h"

#include "proxy/engine/net/client_pipe.h"

#include <cstring>

namespace ql {

const char *const TUnroutedRequestAnswer::kAnswer = "HTTP/1.0 501 Not Implemented\r\n"
                                                    "Allow: GET POST\r\n"
                                                    "Content-type: text/plain\r\n\r\n"
                                                    "Quenlark does not route requests yet.\r\n";

void TUnroutedRequestAnswer::HandleProxyRequest(TClientPipe &pipe) {
  pipe.Buffer.Add(kAnswer, std::strlen(kAnswer));
  pipe.CloseAfterSend = true;
  pipe.SendData();
}

} // namespace ql
