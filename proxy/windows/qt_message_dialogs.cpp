#include "proxy/windows/qt_message_dialogs.h"

#include "proxy/platform/message_dialogs.h"

#include <QApplication>
#include <QMessageBox>

namespace ql {
namespace {

class QtMessageDialogs : public MessageDialogs {
public:
  DialogButton Show(const DialogRequest &request) override {
    QMessageBox box(Icon(request.kind), Title(request.kind), request.text, Buttons(request.buttons),
                    QApplication::activeWindow());
    switch (box.exec()) {
    case QMessageBox::Ok:
      return DialogButton::Ok;
    case QMessageBox::Yes:
      return DialogButton::Yes;
    case QMessageBox::No:
      return DialogButton::No;
    case QMessageBox::Cancel:
      return DialogButton::Cancel;
    default:
      return EscapeAnswer(request.buttons);
    }
  }

private:
  static QMessageBox::Icon Icon(DialogKind kind) {
    switch (kind) {
    case DialogKind::Warning:
      return QMessageBox::Warning;
    case DialogKind::Error:
      return QMessageBox::Critical;
    case DialogKind::Information:
      return QMessageBox::Information;
    case DialogKind::Confirmation:
      return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
  }

  static QString Title(DialogKind kind) {
    switch (kind) {
    case DialogKind::Warning:
      return QStringLiteral("Warning");
    case DialogKind::Error:
      return QStringLiteral("Error");
    case DialogKind::Information:
      return QStringLiteral("Information");
    case DialogKind::Confirmation:
      return QStringLiteral("Confirm");
    }
    return {};
  }

  static QMessageBox::StandardButtons Buttons(DialogButtons buttons) {
    switch (buttons) {
    case DialogButtons::Ok:
      return QMessageBox::Ok;
    case DialogButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case DialogButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case DialogButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
  }
};

} // namespace

void InstallQtMessageDialogs() {
  static QtMessageDialogs service;
  SetMessageDialogs(&service);
}

} // namespace ql
