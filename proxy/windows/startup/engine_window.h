#pragma once

#include "proxy/engine/net/network_window.h"
#include "proxy/engine/pages/proxy_road.h"

#include <QStringList>

#include <memory>

namespace ql {

class TOnLineButton;
class TRegIniFile;

// The program's network window with the parts it links to (the cache, the request routing
// with the pseudo-host's pages, whose pictures come from the folder "images" beside the
// program, and Autobrowse): creating it starts the engine, destroying it stops the engine and
// saves the cache index. Every line of the engine's log goes to standard error as it is added. The settings
// store and the on-line button are not owned and must outlive it.
class TEngineWindow {
public:
  TEngineWindow(TRegIniFile &settings, const QString &dataDirectory, bool firstUse,
                const QStringList &parameters, TOnLineButton *onLineButton);

  // The engine did not start and the program is to end (see TForm1::Halted).
  bool Halted() const { return form_->Halted(); }
  // The proxy's disk cache, for the windows that list and change it.
  TProxyCache &Cache() { return road_.Cache(); }
  // The engine's road, to which the windows link as they are created.
  TProxyRoad &Road() { return road_; }

private:
  TProxyRoad road_;
  std::unique_ptr<TForm1> form_;
};

} // namespace ql
