#pragma once

#include "library/runtime/windows/control.h"

namespace vx {

// A spin box of whole numbers, `digits` positions wide, with a range. Its arrows (and the
// arrow keys) step within the range; each step copies the value into the USE variable and
// posts NewSelection. A value typed in is taken when the entry is left or Enter is
// pressed: inside the range it is copied and posts NewSelection and Accepted; past a bound
// it is refused with Rejected, whose detail tells which bound it passed (AboveRange,
// BelowRange), and the variable keeps its value.
class SpinControl : public Control {
public:
  SpinControl(Window &window, int number, const QRect &at, int digits, int low, int high);
  QWidget *Widget() const override;
  bool TakesInput() const override { return true; }
  QString Text() const override;
  void SetText(const QString &text) override;

  int Low() const { return low_; }
  int High() const { return high_; }
  void SetRange(int low, int high);
  int SpinValue() const;
  void SetSpinValue(int value);

private:
  class Box;
  void Entered();

  Box *box_;
  int low_;
  int high_;
  bool edited_ = false; // typed into since the value was last taken or set
};

} // namespace vx
