#include "library/runtime/windows/control.h"

#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/window.h"

namespace vx {

Control::Control(Window &window, int number, ControlKind kind)
    : window_(window), number_(number), kind_(kind) {}

Control::~Control() = default;

void Control::Use(Getter get, Setter set) {
  get_ = std::move(get);
  set_ = std::move(set);
}

void Control::Use(QString &variable) {
  Use([&variable] { return variable; }, [&variable](const QString &value) { variable = value; });
}

void Control::Use(int &variable) {
  Use([&variable] { return QString::number(variable); },
      [&variable](const QString &value) { variable = value.trimmed().toInt(); });
}

void Control::Display() {
  if (!get_ || HasPendingEntry())
    return;
  ProgramChange guard(programChange_);
  SetValue(get_());
}

void Control::Update() {
  if (set_)
    set_(Value());
  ClearPendingEntry();
}

QString Control::Text() const {
  return {};
}

void Control::SetText(const QString &) {}

QRect Control::Position() const {
  QWidget *widget = Widget();
  return widget ? window_.Units().ToUnits(widget->geometry()) : QRect();
}

void Control::SetPosition(const QRect &du) {
  if (QWidget *widget = Widget())
    widget->setGeometry(window_.Units().ToPixels(du));
}

void Control::SetTip(const QString &tip) {
  if (QWidget *widget = Widget())
    widget->setToolTip(tip);
}

void Control::Hide() {
  hidden_ = true;
  ApplyVisibility();
}

void Control::Unhide() {
  hidden_ = false;
  ApplyVisibility();
}

void Control::Enable() {
  enabled_ = true;
  if (QWidget *widget = Widget())
    widget->setEnabled(true);
}

void Control::Disable() {
  enabled_ = false;
  if (QWidget *widget = Widget())
    widget->setEnabled(false);
}

void Control::PlaceOnTab(TabControl *tab) {
  tab_ = tab;
  tab->AddMember(this);
  ApplyVisibility();
}

void Control::ApplyVisibility() {
  QWidget *widget = Widget();
  if (!widget)
    return;
  const bool onShownTab = !tab_ || (tab_->IsCurrent() && !tab_->Sheet().IsHidden());
  widget->setVisible(!hidden_ && onShownTab);
}

void Control::Post(EventKind kind, int key, char16_t ch) {
  Event event;
  event.kind = kind;
  event.control = number_;
  event.key = key;
  event.ch = ch;
  window_.Post(event);
}

void Control::Accept() {
  Update();
  Post(EventKind::Accepted);
}

} // namespace vx
