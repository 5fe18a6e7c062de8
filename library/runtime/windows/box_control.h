#pragma once

#include "library/runtime/windows/control.h"

#include <QColor>

class QFrame;

namespace vx {

// A rectangle drawn on the window, with a thin frame, filled with its fill colour when it
// has one. It takes no input.
class BoxControl : public Control {
public:
  BoxControl(Window &window, int number, const QRect &at, QColor fill = {});
  QWidget *Widget() const override;
  QColor Fill() const { return fill_; }
  void SetFill(QColor fill);

private:
  QFrame *frame_;
  QColor fill_;
};

} // namespace vx
