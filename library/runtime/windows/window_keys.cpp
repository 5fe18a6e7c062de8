// The keyboard of a window as in the platform's dialogs: Enter and Escape, mnemonics, and the
// keys that turn a sheet's tabs.

#include "library/runtime/windows/window_keys.h"

#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>

namespace vx {

KeyEater::KeyEater() {
  qApp->installEventFilter(this);
}

KeyEater::~KeyEater() {
  qApp->removeEventFilter(this);
}

void KeyEater::Eat(int key) {
  key_ = key;
}

void KeyEater::Stop() {
  key_ = 0;
}

bool KeyEater::eventFilter(QObject *, QEvent *event) {
  if (key_ == 0 || event->type() != QEvent::KeyPress)
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

Control *Window::FocusedControl() const {
  for (QWidget *widget = QApplication::focusWidget(); widget && widget != client_;
       widget = widget->parentWidget()) {
    const QVariant number = widget->property("vxControl");
    if (!number.isValid())
      continue;
    // A control of a window inside this one (an MDI child in the frame) is none of its own.
    Control *control = Find(number.toInt());
    return control && control->Widget() == widget ? control : nullptr;
  }
  return nullptr;
}

bool Window::UseSheetKey(QKeyEvent *event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  const int key = event->key();
  int step = 0;
  if (modifiers == Qt::ControlModifier && (key == Qt::Key_Tab || key == Qt::Key_PageDown))
    step = 1;
  else if ((modifiers == (Qt::ControlModifier | Qt::ShiftModifier) &&
            (key == Qt::Key_Tab || key == Qt::Key_Backtab)) ||
           (modifiers == Qt::ControlModifier && key == Qt::Key_PageUp))
    step = -1;
  if (step == 0)
    return false;
  Control *focused = FocusedControl();
  SheetControl *sheet = nullptr;
  if (focused && focused->Tab())
    sheet = &focused->Tab()->Sheet();
  else if (focused && focused->Kind() == ControlKind::Sheet)
    sheet = static_cast<SheetControl *>(focused);
  for (auto it = controls_.begin(); !sheet && it != controls_.end(); ++it) {
    if ((*it)->Kind() == ControlKind::Sheet && (*it)->Widget()->isVisible())
      sheet = static_cast<SheetControl *>(it->get());
  }
  if (!sheet || !sheet->Widget()->isVisible() || !sheet->Widget()->isEnabled() || sheet->TabCount() < 2)
    return false;
  const TabControl *left = sheet->CurrentTab();
  sheet->Turn(step);
  if (focused && focused->Tab() != left && focused->Widget()->isVisible())
    return true;
  // The focus was on the tab left: it goes to the new tab's first Tab stop, or to the tabs.
  if (const TabControl *shown = sheet->CurrentTab()) {
    for (Control *member : shown->Members()) {
      QWidget *widget = member->Widget();
      if (widget && widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus)) {
        widget->setFocus(Qt::TabFocusReason);
        return true;
      }
    }
  }
  sheet->Widget()->setFocus(Qt::TabFocusReason);
  return true;
}

} // namespace vx
