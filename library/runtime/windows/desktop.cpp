#include "library/runtime/windows/desktop.h"

#include "library/runtime/data/error_state.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <utility>

namespace vx {

QString CLIPBOARD() {
  return QApplication::clipboard()->text();
}

void SETCLIPBOARD(const QString &text) {
  QApplication::clipboard()->setText(text);
}

ClipboardChanges::ClipboardChanges() {
  QObject::connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] { changed_ = true; });
}

bool ClipboardChanges::Take() {
  return std::exchange(changed_, false);
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
