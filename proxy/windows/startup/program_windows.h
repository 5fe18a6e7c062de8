#pragma once

#include "proxy/windows/startup/window_order.h"

#include <QStringList>

#include <memory>

namespace ql {

class Registry;
class TAutoForm;
class TAutoProgressForm;
class TBrowserConversation;
class TCacheForm;
class TCachePropForm;
class TControlForm;
class TEngineWindow;
class TFilterForm;
class TGridSelForm;
class TInfoForm;
class TNodePropForm;
class TSetupForm;
class TSortForm;

// The program's windows, created once in their fixed order and freed in the reverse order:
// the control bar (the main window, which opens the settings store), the network window
// (which starts the engine), then the windows of the desktop: Bookmarks, Select Headers,
// Bookmark Properties, the Cache Explorer, Filter, Setup, Autobrowse Control, Sort, Cache Item
// Properties and Information. The conversation with the browser over DDE outlives them all.
// The registry must outlive them.
class TProgramWindows {
public:
  TProgramWindows(Registry &registry, const QString &defaultDataDirectory, const QStringList &parameters);
  ~TProgramWindows();

  TControlForm &ControlForm() { return *controlForm_; }
  TEngineWindow &Engine() { return *engine_; }
  TAutoForm &Bookmarks() { return *autoForm_; }
  TCacheForm &CacheExplorer() { return *cacheForm_; }
  // The program is to end at once: the engine did not start, or the data files are of the
  // earlier format.
  bool Halted() const;

private:
  std::unique_ptr<TBrowserConversation> dde_;
  TWindowOrder order_;
  TControlForm *controlForm_ = nullptr;
  TEngineWindow *engine_ = nullptr;
  TAutoForm *autoForm_ = nullptr;
  TGridSelForm *gridSel_ = nullptr;
  TNodePropForm *nodeProp_ = nullptr;
  TCacheForm *cacheForm_ = nullptr;
  TFilterForm *filter_ = nullptr;
  TSetupForm *setup_ = nullptr;
  TAutoProgressForm *autoProgress_ = nullptr;
  TSortForm *sort_ = nullptr;
  TCachePropForm *cacheProp_ = nullptr;
  TInfoForm *info_ = nullptr;
};

} // namespace ql
