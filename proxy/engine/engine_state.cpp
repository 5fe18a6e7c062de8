#include "proxy/engine/engine_state.h"

#include "proxy/engine/client_pipe.h"
#include "proxy/engine/listener.h"
#include "proxy/engine/server_pipe.h"

#include <algorithm>

namespace ql {

std::vector<std::unique_ptr<TClientPipe>> ClientPipeList;
std::vector<std::unique_ptr<TServerPipe>> ServerPipeList;
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

template <typename T> void Retire(std::vector<std::unique_ptr<T>> &list, T *pipe) {
  const auto it = std::find_if(list.begin(), list.end(), [pipe](const auto &p) { return p.get() == pipe; });
  if (it == list.end()) {
    return;
  }
  FreePipeList.push_back(std::move(*it));
  list.erase(it);
}

} // namespace

void RetireClientPipe(TClientPipe *pipe) {
  Retire(ClientPipeList, pipe);
}

void RetireServerPipe(TServerPipe *pipe) {
  Retire(ServerPipeList, pipe);
}

} // namespace ql
