#include "proxy/engine/net/engine_state.h"

#include "proxy/engine/net/client_pipe.h"
#include "proxy/engine/net/listener.h"
#include "proxy/engine/net/own_endpoints.h"
#include "proxy/engine/net/server_pipe.h"

namespace ql {

TPipeList<TClientPipe> ClientPipeList;
TPipeList<TServerPipe> ServerPipeList;
std::vector<std::unique_ptr<TPipe>> FreePipeList;
std::vector<TServerPipe *> LookupList;
std::vector<std::unique_ptr<TListener>> ListenerList;
TListener *Listener = nullptr;
bool OffLineMode = false;
bool DiskFull = false;
bool TrumpetStack = false;
bool UseUpstreamProxy = false;
QByteArray UpstreamProxyHost;
bool NewsDue = false;
bool AutoBrowseAtStart = false;
QString DataDirectory;
QString TempDirectory;
TEngineSettings EngineSettings;

void ResetEngineState() {
  OwnOriginEndpoints.Clear();
  OffLineMode = false;
  DiskFull = false;
  TrumpetStack = false;
  UseUpstreamProxy = false;
  UpstreamProxyHost.clear();
  NewsDue = false;
  DefaultItemSizeLimit = 0;
  AutoBrowseAtStart = false;
  TempDirectory.clear();
  EngineSettings = TEngineSettings{};
  Listener = nullptr;
}

namespace {

// The place on FreePipeList is made first, so the connection is never dropped between lists.
// A retired connection's inactivity timer has nothing left to close.
template <typename T> void Retire(TPipeList<T> &list, T *pipe) {
  FreePipeList.emplace_back();
  FreePipeList.back() = list.Take(pipe);
  if (FreePipeList.back() == nullptr) {
    FreePipeList.pop_back();
  } else {
    pipe->KillTimeout();
  }
}

} // namespace

void RetireClientPipe(TClientPipe *pipe) {
  Retire(ClientPipeList, pipe);
}

void RetireServerPipe(TServerPipe *pipe) {
  Retire(ServerPipeList, pipe);
}

} // namespace ql
