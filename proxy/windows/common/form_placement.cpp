#include "proxy/windows/common/form_placement.h"

#include "proxy/platform/reg_ini_file.h"

#include <QWidget>

namespace ql {

namespace {

const QString kSection = QStringLiteral("Window Properties");

} // namespace

void SaveFormPlacement(const QWidget &window, TRegIniFile &settings) {
  const QString caption = window.windowTitle();
  try {
    int state = 0;
    if (window.isMinimized()) {
      state = 1;
    } else if (window.isMaximized()) {
      state = 2;
    } else {
      settings.WriteInteger(kSection, caption + QStringLiteral(".X"), window.x());
      settings.WriteInteger(kSection, caption + QStringLiteral(".Y"), window.y());
      settings.WriteInteger(kSection, caption + QStringLiteral(".Height"), window.height());
      settings.WriteInteger(kSection, caption + QStringLiteral(".Width"), window.width());
    }
    settings.WriteInteger(kSection, caption + QStringLiteral(".State"), state);
  } catch (const RegistryError &) {
  }
}

void RestoreFormPlacement(QWidget &window, const TRegIniFile &settings, QSize screen) {
  const QString caption = window.windowTitle();
  const int x = settings.ReadInteger(kSection, caption + QStringLiteral(".X"), -1);
  const int y = settings.ReadInteger(kSection, caption + QStringLiteral(".Y"), -1);
  const int height = settings.ReadInteger(kSection, caption + QStringLiteral(".Height"), -1);
  const int width = settings.ReadInteger(kSection, caption + QStringLiteral(".Width"), -1);
  const int state = settings.ReadInteger(kSection, caption + QStringLiteral(".State"), 0);
  QPoint at = window.pos();
  if (x != -1 && x < screen.width() - 1)
    at.setX(x);
  if (y != -1 && y < screen.height() - 1)
    at.setY(y);
  window.move(at);
  QSize size = window.size();
  if (height != -1)
    size.setHeight(height);
  if (width != -1)
    size.setWidth(width);
  window.resize(size);
  window.setWindowState(state == 1   ? Qt::WindowMinimized
                        : state == 2 ? Qt::WindowMaximized
                                     : Qt::WindowNoState);
}

} // namespace ql
