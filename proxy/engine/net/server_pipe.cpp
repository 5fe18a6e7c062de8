#include "proxy/engine/net/server_pipe.h"

#include "proxy/engine/net/client_pipe.h"

namespace ql {

TServerPipe::~TServerPipe() {
  if (ClientPipe != nullptr) {
    ClientPipe->ServerPipe = nullptr;
  }
}

} // namespace ql
