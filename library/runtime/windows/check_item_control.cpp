#include "library/runtime/windows/check_item_control.h"

#include <QAction>

namespace vx {

CheckItemControl::CheckItemControl(Window &window, int number, QAction *action)
    : MenuItemControl(window, number, action, StandardAction::None) {
  action->setCheckable(true);
  // The entry's own triggered handler posts Accepted; the variable follows the mark before
  // the procedure reads the event.
  QObject::connect(action, &QAction::triggered, action, [this] { Update(); });
}

bool CheckItemControl::IsChecked() const {
  return Action() && Action()->isChecked();
}

void CheckItemControl::SetChecked(bool on) {
  if (Action())
    Action()->setChecked(on);
}

QString CheckItemControl::Value() const {
  return IsChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

void CheckItemControl::SetValue(const QString &value) {
  SetChecked(value.trimmed().toInt() != 0);
}

} // namespace vx
