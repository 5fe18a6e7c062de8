#pragma once

#include "library/runtime/windows/control.h"

#include <QColor>

class QFrame;
class QGroupBox;

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

// A frame with a title, around controls that belong together; it takes no input. The
// controls inside are added after it, at their own places in the window.
class GroupControl : public Control {
public:
  GroupControl(Window &window, int number, const QString &text, const QRect &at);
  QWidget *Widget() const override;
  QString Text() const override;
  void SetText(const QString &text) override;

private:
  QGroupBox *group_;
};

} // namespace vx
