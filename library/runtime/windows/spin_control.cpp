#include "library/runtime/windows/spin_control.h"

#include "library/runtime/windows/window.h"

#include <QLineEdit>
#include <QSpinBox>
#include <cmath>

namespace vx {

// A spin box that holds any number of its width, so that a typed value past the range
// reaches the procedure as a refusal instead of being put back silently, and whose arrows
// still stop at the range.
class SpinControl::Box : public QSpinBox {
public:
  Box(SpinControl &control, QWidget *parent) : QSpinBox(parent), control_(control) {}
  void stepBy(int steps) override {
    const int target = std::clamp(value() + steps, control_.low_, control_.high_);
    if (target == value())
      return;
    setValue(target);
    control_.Update();
    control_.Post(EventKind::NewSelection);
  }
  QLineEdit *Edit() const { return lineEdit(); }

protected:
  StepEnabled stepEnabled() const override {
    StepEnabled enabled = StepNone;
    if (value() < control_.high_)
      enabled |= StepUpEnabled;
    if (value() > control_.low_)
      enabled |= StepDownEnabled;
    return enabled;
  }

private:
  SpinControl &control_;
};

SpinControl::SpinControl(Window &window, int number, const QRect &at, int digits, int low, int high)
    : Control(window, number, ControlKind::Spin), box_(new Box(*this, window.ClientArea())), low_(low),
      high_(high) {
  const int widest = int(std::pow(10, std::clamp(digits, 1, 9))) - 1;
  box_->setRange(std::min(0, low), widest);
  box_->setValue(low);
  box_->setKeyboardTracking(false);
  if (!at.isEmpty())
    box_->setGeometry(window.Units().ToPixels(at));
  box_->show();
  QObject::connect(box_->Edit(), &QLineEdit::textEdited, box_, [this] { edited_ = true; });
  QObject::connect(box_, &QAbstractSpinBox::editingFinished, box_, [this] {
    if (!programChange_ && edited_)
      Entered();
  });
}

QWidget *SpinControl::Widget() const {
  return box_;
}

QString SpinControl::Text() const {
  return QString::number(box_->value());
}

void SpinControl::SetText(const QString &text) {
  SetSpinValue(text.trimmed().toInt());
}

void SpinControl::SetRange(int low, int high) {
  low_ = low;
  high_ = std::max(low, high);
  if (box_->minimum() > low_)
    box_->setMinimum(low_);
  if (box_->maximum() < high_)
    box_->setMaximum(high_);
}

int SpinControl::SpinValue() const {
  return box_->value();
}

void SpinControl::SetSpinValue(int value) {
  ProgramChange guard(programChange_);
  box_->setValue(value);
  edited_ = false;
}

void SpinControl::Entered() {
  edited_ = false;
  const int value = box_->value();
  if (value < low_ || value > high_) {
    Event event{EventKind::Rejected, Number()};
    event.detail = value > high_ ? RejectDetail::AboveRange : RejectDetail::BelowRange;
    Owner().Post(event);
    return;
  }
  Update();
  Post(EventKind::NewSelection);
  Post(EventKind::Accepted);
}

} // namespace vx
