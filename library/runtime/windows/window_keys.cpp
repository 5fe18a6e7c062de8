// The keyboard of a window as in the platform's dialogs: Enter and Escape, and mnemonics.

#include "library/runtime/windows/window_keys.h"

#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>

namespace vx {

KeyEater::~KeyEater() {
  Stop();
}

void KeyEater::Eat(int key) {
  Stop();
  key_ = key;
  qApp->installEventFilter(this);
}

void KeyEater::Stop() {
  if (key_ != 0)
    qApp->removeEventFilter(this);
  key_ = 0;
}

bool KeyEater::eventFilter(QObject *, QEvent *event) {
  if (event->type() != QEvent::KeyPress)
    return false;
  const bool eaten = static_cast<QKeyEvent *>(event)->key() == key_;
  Stop();
  return eaten;
}

bool Window::HandleKey(QKeyEvent *event) {
  if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
    return false;
  int target = 0;
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    // Enter presses the button that has the focus, any other control passes it on to the
    // default button. A multi-line text keeps it as a line break and never passes it on.
    target = defaultButton_;
    if (QWidget *focus = QApplication::focusWidget()) {
      const QVariant number = focus->property("vxControl");
      Control *focused = number.isValid() ? Find(number.toInt()) : nullptr;
      if (focused && focused->Widget() == focus && focused->Kind() == ControlKind::Button)
        target = focused->Number();
    }
  } else if (event->key() == Qt::Key_Escape) {
    target = cancelButton_;
  }
  auto *button = dynamic_cast<ButtonControl *>(Find(target));
  if (!button || !button->IsEnabled() || !button->Widget()->isVisible())
    return false;
  button->Press();
  return true;
}

bool Window::UseMnemonic(QKeyEvent *event) {
  if ((event->modifiers() & ~Qt::ShiftModifier) != Qt::AltModifier)
    return false;
  const QKeySequence pressed(QKeyCombination(Qt::AltModifier, Qt::Key(event->key())));
  for (auto &control : controls_) {
    QWidget *widget = control->Widget();
    const ControlKind kind = control->Kind();
    if (!widget || !widget->isVisible() || !widget->isEnabled() ||
        QKeySequence::mnemonic(control->Text()) != pressed)
      continue;
    if (kind == ControlKind::Prompt) {
      QWidget *buddy = static_cast<QLabel *>(widget)->buddy();
      if (!buddy || !buddy->isVisible() || !buddy->isEnabled())
        continue;
      buddy->setFocus(Qt::ShortcutFocusReason);
      return true;
    }
    if (kind == ControlKind::Option) {
      static_cast<OptionControl &>(*control).FocusChoice();
      return true;
    }
    if (kind == ControlKind::Button || kind == ControlKind::Check || kind == ControlKind::Radio) {
      if (kind != ControlKind::Button)
        widget->setFocus(Qt::ShortcutFocusReason);
      static_cast<QAbstractButton *>(widget)->click();
      return true;
    }
  }
  return false;
}

} // namespace vx
