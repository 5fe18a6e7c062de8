#pragma once

#include "proxy/windows/startup/window_order.h"

#include <QStringList>

namespace ql {

class Registry;
class TControlForm;
class TEngineWindow;

// The program's windows, created once in their fixed order and freed in the reverse order:
// the control bar (the main window, which opens the settings store), the network window
// (which starts the engine), then the windows of the desktop as the program has them. The
// registry must outlive them.
class TProgramWindows {
public:
  TProgramWindows(Registry &registry, const QString &defaultDataDirectory, const QStringList &parameters);
  ~TProgramWindows();

  TControlForm &ControlForm() { return *controlForm_; }
  TEngineWindow &Engine() { return *engine_; }

private:
  TWindowOrder order_;
  TControlForm *controlForm_ = nullptr;
  TEngineWindow *engine_ = nullptr;
};

} // namespace ql
