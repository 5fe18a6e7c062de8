#include "library/runtime/windows/desktop.h"

#include "library/runtime/data/error_state.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>

namespace vx {

QString CLIPBOARD() {
  return QApplication::clipboard()->text();
}

void SETCLIPBOARD(const QString &text) {
  QApplication::clipboard()->setText(text);
}

void BEEP() {
  QApplication::beep();
}

QString PATH() {
  return QDir::currentPath();
}

bool SETPATH(const QString &directory) {
  if (!QDir::setCurrent(directory)) {
    SetError(2, directory);
    return false;
  }
  ClearError();
  return true;
}

} // namespace vx
