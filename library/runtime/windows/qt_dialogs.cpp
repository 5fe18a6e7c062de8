#include "library/runtime/windows/qt_dialogs.h"

#include "library/runtime/windows/file_dialog.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/placement.h"
#include "library/runtime/windows/popup_menu.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/title_width.h"
#include "library/runtime/windows/window.h"

#include <QApplication>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <memory>

namespace vx {

namespace {

// A dialog's answer, shared between the thread that waits and the signal that gives it.
template <class T> struct Answer {
  bool given = false;
  T value{};
  int thread = 0;
  void Give(T v) {
    if (given)
      return;
    given = true;
    value = std::move(v);
    scheduler::Wake(thread);
  }
  T Wait() {
    scheduler::WaitUntil([this] { return given; });
    return value;
  }
};

template <class T> std::shared_ptr<Answer<T>> NewAnswer() {
  auto answer = std::make_shared<Answer<T>>();
  answer->thread = scheduler::CurrentThread();
  return answer;
}

QWidget *DialogParent() {
  Window *window = ActiveWindow();
  if (window && window->IsOpen())
    return window->Outer();
  Window *frame = Window::Frame();
  return frame ? frame->Outer() : nullptr;
}

QMdiSubWindow *SubWindowOf(QWidget *widget) {
  for (; widget; widget = widget->parentWidget()) {
    if (auto *sub = qobject_cast<QMdiSubWindow *>(widget))
      return sub;
  }
  return nullptr;
}

// Where the keyboard was when a dialog opened, to give it back when the dialog has closed.
// A closing dialog does not reliably do that itself: without a window manager, or when none
// activates another window, the program is left without an active window, so that keys
// reach a field without its window's mnemonics, Tab moves nowhere visible, and the click
// that brings the window back redisplays it over what was typed meanwhile.
class FocusReturn {
public:
  FocusReturn() : window_(QApplication::activeWindow()), focus_(QApplication::focusWidget()) {
    QWidget *owner = DialogParent();
    if (!window_ && owner)
      window_ = owner->window();
    sub_ = SubWindowOf(focus_ ? focus_.data() : owner);
  }

  // Makes the window active again with the focus where it was; the procedure may go on to
  // SELECT another control.
  void Give() const {
    if (!window_ || !window_->isVisible())
      return;
    if (sub_ && sub_->mdiArea() && sub_->isVisible())
      sub_->mdiArea()->setActiveSubWindow(sub_);
    if (focus_ && focus_->isVisible() && focus_->isEnabled())
      focus_->setFocus(Qt::OtherFocusReason);
    window_->activateWindow();
  }

private:
  QPointer<QWidget> window_;
  QPointer<QWidget> focus_;
  QPointer<QMdiSubWindow> sub_;
};

// A message box that opens centred over the window it belongs to, once it has the size its
// text gives it, and no narrower than its caption needs. The box fixes its own size again at
// each layout request: its caption's width is kept each time.
class PlacedMessageBox : public QMessageBox {
public:
  PlacedMessageBox(Icon icon, const QString &caption, const QString &text, QWidget *owner)
      : QMessageBox(icon, caption, text, NoButton, owner), owner_(owner) {}

protected:
  bool event(QEvent *event) override {
    const bool handled = QMessageBox::event(event);
    if (event->type() == QEvent::LayoutRequest && isVisible())
      WidenForTitle(this);
    return handled;
  }

  void showEvent(QShowEvent *event) override {
    QMessageBox::showEvent(event);
    WidenForTitle(this);
    CentreOver(this, owner_);
  }

private:
  QPointer<QWidget> owner_;
};

QMessageBox::Icon IconOf(MessageIcon icon) {
  switch (icon) {
  case MessageIcon::Exclamation:
    return QMessageBox::Warning;
  case MessageIcon::Hand:
    return QMessageBox::Critical;
  case MessageIcon::Question:
    return QMessageBox::Question;
  case MessageIcon::Asterisk:
    return QMessageBox::Information;
  case MessageIcon::None:
    break;
  }
  return QMessageBox::NoIcon;
}

struct ButtonName {
  int button;
  QMessageBox::StandardButton standard;
};

constexpr ButtonName kButtons[] = {
    {BUTTON_OK, QMessageBox::Ok},         {BUTTON_YES, QMessageBox::Yes},
    {BUTTON_NO, QMessageBox::No},         {BUTTON_ABORT, QMessageBox::Abort},
    {BUTTON_RETRY, QMessageBox::Retry},   {BUTTON_IGNORE, QMessageBox::Ignore},
    {BUTTON_CANCEL, QMessageBox::Cancel}, {BUTTON_HELP, QMessageBox::Help},
};

int ShowMessage(const MessageRequest &request) {
  const FocusReturn focus;
  auto answer = NewAnswer<int>();
  auto *box = new PlacedMessageBox(IconOf(request.icon), request.caption, request.text, DialogParent());
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::ApplicationModal);
  int fallback = 0;
  for (const ButtonName &b : kButtons) {
    if (!(request.buttons & b.button))
      continue;
    QPushButton *button = box->addButton(b.standard);
    if (b.button == request.defaultButton)
      box->setDefaultButton(button);
    if (!fallback || b.button == BUTTON_CANCEL)
      fallback = b.button;
  }
  QObject::connect(box, &QMessageBox::buttonClicked, box, [box, answer](QAbstractButton *clicked) {
    const auto standard = box->standardButton(clicked);
    for (const ButtonName &b : kButtons) {
      if (b.standard == standard)
        answer->Give(b.button);
    }
  });
  QObject::connect(box, &QObject::destroyed, [answer, fallback] { answer->Give(fallback); });
  box->show();
  const int button = answer->Wait();
  focus.Give();
  return button;
}

int ShowPopup(const PopupRequest &request) {
  auto answer = NewAnswer<int>();
  auto *menu = new QMenu(DialogParent());
  menu->setAttribute(Qt::WA_DeleteOnClose);
  for (const PopupItem &item : request.items) {
    if (item.separator) {
      menu->addSeparator();
      continue;
    }
    QAction *action = menu->addAction(item.text);
    action->setEnabled(item.enabled);
    action->setCheckable(item.checkable);
    action->setChecked(item.checked);
    QObject::connect(action, &QAction::triggered, menu, [answer, n = item.number] { answer->Give(n); });
  }
  // The menu hides before its entry's triggered signal: the answer "none" waits its turn.
  QObject::connect(
      menu, &QMenu::aboutToHide, menu, [answer] { answer->Give(0); }, Qt::QueuedConnection);
  QObject::connect(menu, &QObject::destroyed, [answer] { answer->Give(0); });
  menu->popup(request.at);
  return answer->Wait();
}

std::optional<QString> ShowFileDialog(const FileDialogRequest &request) {
  const FocusReturn focus;
  auto answer = NewAnswer<std::optional<QString>>();
  auto *dialog =
      new QFileDialog(DialogParent(), request.title, request.fileName, QtFilterText(request.filter));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog->setWindowModality(Qt::ApplicationModal);
  QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                   [answer](const QString &file) { answer->Give(std::optional<QString>(file)); });
  QObject::connect(dialog, &QObject::destroyed, [answer] { answer->Give(std::nullopt); });
  QObject::connect(dialog, &QFileDialog::rejected, dialog, [answer] { answer->Give(std::nullopt); });
  dialog->show();
  WidenForTitle(dialog);
  std::optional<QString> file = answer->Wait();
  focus.Give();
  return file;
}

} // namespace

void InstallQtDialogs() {
  SetMessageHandler(ShowMessage);
  SetPopupHandler(ShowPopup);
  SetFileDialogHandler(ShowFileDialog);
}

} // namespace vx
