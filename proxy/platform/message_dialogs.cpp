#include "proxy/platform/message_dialogs.h"

#include <QCoreApplication>
#include <QVariant>
#include <QtDebug>

#include <cstdio>

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

namespace {

const char *KindName(DialogKind kind) {
  switch (kind) {
  case DialogKind::Warning:
    return "Warning";
  case DialogKind::Error:
    return "Error";
  case DialogKind::Information:
    return "Information";
  case DialogKind::Confirmation:
    return "Confirm";
  }
  return "Message";
}

} // namespace

bool DisplayAvailable() {
  const QCoreApplication *app = QCoreApplication::instance();
  if (app == nullptr || !app->inherits("QGuiApplication"))
    return false;
  const QString platform = app->property("platformName").toString();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

DialogButton MessageDlg(const QString &text, DialogKind kind, DialogButtons buttons) {
  DialogRequest request{kind, text, buttons};
  MessageDialogs *service = Installed();
  if (service == nullptr) {
    qWarning().noquote() << "Message dialog with no dialog service installed:" << text;
    return EscapeAnswer(buttons);
  }
  if (service->NeedsDisplay() && !DisplayAvailable()) {
    std::fprintf(stderr, "%s: %s\n", KindName(kind), qPrintable(text));
    std::fflush(stderr);
    return DefaultAnswer(buttons);
  }
  return service->Show(request);
}

DialogButton DefaultAnswer(DialogButtons buttons) {
  return buttons == DialogButtons::Ok || buttons == DialogButtons::OkCancel ? DialogButton::Ok
                                                                            : DialogButton::Yes;
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
