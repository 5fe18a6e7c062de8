#pragma once

#include "library/runtime/windows/controls.h"

namespace vx {

// A menu entry with a check mark. Its value is "1" while checked, else "0": DISPLAY sets
// the mark from its USE variable, and choosing the entry toggles the mark, copies it into
// the variable and posts Accepted.
class CheckItemControl : public MenuItemControl {
public:
  CheckItemControl(Window &window, int number, QAction *action);
  bool IsChecked() const;
  void SetChecked(bool on);

protected:
  QString Value() const override;
  void SetValue(const QString &value) override;
};

} // namespace vx
