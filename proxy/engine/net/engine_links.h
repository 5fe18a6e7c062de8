#pragma once

#include "proxy/engine/cache/cache_index_files.h"

#include <QString>

namespace ql {

class TClientPipe;

// The calls that the network window and the browser-side connection make into parts of
// the program that are built on their own: request routing, the cache index files, the
// Autobrowse lists, the host-name cache and the control bar. Each is a narrow interface at
// its call site. The classes named "Not...Yet"/"Unrouted" stand in while a part is absent;
// they do nothing but what their names say.

// Routes a complete browser request (method, target, fields and body in
// pipe.Request()); the answer goes to pipe.Buffer, then pipe.SendData().
class TRequestRouter {
public:
  virtual ~TRequestRouter() = default;
  virtual void HandleProxyRequest(TClientPipe &pipe) = 0;
};

// Answers every request with "HTTP/1.0 501 Not Implemented" and a short text saying that
// requests are not routed yet, then ends the answer.
class TUnroutedRequestAnswer : public TRequestRouter {
public:
  static const char *const kAnswer;
  void HandleProxyRequest(TClientPipe &pipe) override;
};

// Releases the engine's lists that outlive single connections at stop: the Autobrowse
// lists and the host-name cache.
class TEngineLists {
public:
  virtual ~TEngineLists() = default;
  virtual void ClearAutoLists() = 0;
  virtual void FreeHostNameCache() = 0;
};

// The stand-in while the program has no such lists: nothing to release.
class TEngineListsNotBuiltYet : public TEngineLists {
public:
  void ClearAutoLists() override {}
  void FreeHostNameCache() override {}
};

// The control bar's on-line button: down means on-line.
class TOnLineButton {
public:
  virtual ~TOnLineButton() = default;
  virtual void ShowOnLineState(bool down, const QString &hint) = 0;
};

// The stand-in while no control bar is shown: the state goes nowhere.
class TNoControlBarYet : public TOnLineButton {
public:
  void ShowOnLineState(bool, const QString &) override {}
};

// The links a network window is created with. Each pointer must outlive the window; a
// null pointer takes the stand-in above.
struct TEngineLinks {
  TRequestRouter *router = nullptr;
  TCacheIndexFiles *cacheIndex = nullptr;
  TEngineLists *lists = nullptr;
  TOnLineButton *onLineButton = nullptr;
};

} // namespace ql
