#include "proxy/windows/startup/program_windows.h"

#include "proxy/windows/control_bar/control_form.h"
#include "proxy/windows/startup/engine_window.h"

namespace ql {

TProgramWindows::TProgramWindows(Registry &registry, const QString &defaultDataDirectory,
                                 const QStringList &parameters) {
  controlForm_ = &order_.Add(QStringLiteral("the control bar"),
                             std::make_unique<TControlForm>(registry, defaultDataDirectory));
  engine_ =
      &order_.Add(QStringLiteral("the network window"),
                  std::make_unique<TEngineWindow>(controlForm_->Settings(), controlForm_->DataDirectory(),
                                                  controlForm_->FirstUse(), parameters, controlForm_));
  // The windows of the desktop join here, each in its place of this order, and the control
  // bar is handed those it shows (TControlForm::SetWindows): Bookmarks (TAutoForm), Select
  // Headers (TGridSelForm), Bookmark Properties (TNodePropForm), Cache Explorer (TCacheForm),
  // Filter (TFilterForm), Setup (TSetupForm), Autobrowse Control (TAutoProgressForm), Sort
  // (TSortForm), Cache Item Properties (TCachePropForm), Information (TInfoForm).
}

TProgramWindows::~TProgramWindows() {
  order_.FreeAll();
}

} // namespace ql
