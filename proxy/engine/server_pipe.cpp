#include "proxy/engine/server_pipe.h"

#include "proxy/engine/client_pipe.h"

namespace ql {

TServerPipe::~TServerPipe() {
  if (ClientPipe != nullptr) {
    ClientPipe->ServerPipe = nullptr;
  }
}

} // namespace ql
