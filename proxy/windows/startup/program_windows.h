#pragma once

#include "proxy/windows/startup/window_order.h"

#include <QStringList>

namespace ql {

class Registry;
class TAutoProgressForm;
class TCacheForm;
class TCachePropForm;
class TControlForm;
class TEngineWindow;
class TFilterForm;
class TGridSelForm;
class TSetupForm;
class TSortForm;

// The program's windows, created once in their fixed order and freed in the reverse order:
// the control bar (the main window, which opens the settings store), the network window
// (which starts the engine), then the windows of the desktop as the program has them: Select
// Headers, the Cache Explorer, Filter, Setup, Autobrowse Control, Sort and Cache Item
// Properties. The registry must outlive them.
class TProgramWindows {
public:
  TProgramWindows(Registry &registry, const QString &defaultDataDirectory, const QStringList &parameters);
  ~TProgramWindows();

  TControlForm &ControlForm() { return *controlForm_; }
  TEngineWindow &Engine() { return *engine_; }
  TCacheForm &CacheExplorer() { return *cacheForm_; }

private:
  TWindowOrder order_;
  TControlForm *controlForm_ = nullptr;
  TEngineWindow *engine_ = nullptr;
  TGridSelForm *gridSel_ = nullptr;
  TCacheForm *cacheForm_ = nullptr;
  TFilterForm *filter_ = nullptr;
  TSetupForm *setup_ = nullptr;
  TAutoProgressForm *autoProgress_ = nullptr;
  TSortForm *sort_ = nullptr;
  TCachePropForm *cacheProp_ = nullptr;
};

} // namespace ql
