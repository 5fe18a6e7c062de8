#include "proxy/platform/message_dialogs.h"

#include <QtDebug>

namespace ql {
namespace {

MessageDialogs *&Installed() {
  static MessageDialogs *service = nullptr;
  return service;
}

} // namespace

MessageDialogs *SetMessageDialogs(MessageDialogs *service) {
  MessageDialogs *previous = Installed();
  Installed() = service;
  return previous;
}

DialogButton MessageDlg(const QString &text, DialogKind kind, DialogButtons buttons) {
  DialogRequest request{kind, text, buttons};
  if (MessageDialogs *service = Installed())
    return service->Show(request);
  qWarning().noquote() << "Message dialog with no dialog service installed:" << text;
  return EscapeAnswer(buttons);
}

bool IsAffirmative(DialogButton button) {
  return button == DialogButton::Yes || button == DialogButton::Ok;
}

DialogButton EscapeAnswer(DialogButtons buttons) {
  switch (buttons) {
  case DialogButtons::Ok:
    return DialogButton::Ok;
  case DialogButtons::YesNo:
    return DialogButton::No;
  case DialogButtons::OkCancel:
  case DialogButtons::YesNoCancel:
    break;
  }
  return DialogButton::Cancel;
}

bool Offers(DialogButtons buttons, DialogButton button) {
  switch (buttons) {
  case DialogButtons::Ok:
    return button == DialogButton::Ok;
  case DialogButtons::OkCancel:
    return button == DialogButton::Ok || button == DialogButton::Cancel;
  case DialogButtons::YesNo:
    return button == DialogButton::Yes || button == DialogButton::No;
  case DialogButtons::YesNoCancel:
    return button != DialogButton::Ok;
  }
  return false;
}

} // namespace ql
