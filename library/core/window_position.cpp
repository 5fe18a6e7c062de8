#include "library/core/window_position.h"

#include "library/runtime/data/ini_file.h"
#include "library/runtime/windows/window.h"

namespace vx {

namespace {

int ReadNumber(const QString &section, const QString &entry, const QString &iniFile) {
  return GETINI(section, entry, QString(), iniFile).trimmed().toInt();
}

} // namespace

void RestoreWindowPosition(Window &window, const QString &section, const QString &iniFile) {
  if (ReadNumber(section, QStringLiteral("XPosit"), iniFile) == 0)
    return;
  if (!window.IsMaximized()) {
    const int x = ReadNumber(section, QStringLiteral("XPosit"), iniFile);
    const int y = ReadNumber(section, QStringLiteral("YPosit"), iniFile);
    QRect place = window.Position();
    bool apply = x != 0 && y != 0;
    if (apply && window.IsResizable()) {
      const int width = ReadNumber(section, QStringLiteral("Width"), iniFile);
      const int height = ReadNumber(section, QStringLiteral("Height"), iniFile);
      apply = width != 0 && height != 0;
      place.setSize(QSize(width, height));
    }
    if (apply) {
      place.moveTopLeft(QPoint(x, y));
      window.SetPosition(place);
    }
  }
  window.SetMaximized(GETINI(section, QStringLiteral("Maximize"), QString(), iniFile) ==
                      QLatin1String("Yes"));
}

void SaveWindowPosition(Window &window, const QString &section, const QString &iniFile) {
  const bool maximized = window.IsMaximized();
  window.SetMaximized(false);
  if (window.IsIconized())
    return;
  const QRect place = window.Position();
  IniWriteBatch position;
  PUTINI(section, QStringLiteral("Maximize"), maximized ? QStringLiteral("Yes") : QStringLiteral("No"),
         iniFile);
  PUTINI(section, QStringLiteral("XPosit"), QString::number(place.x()), iniFile);
  PUTINI(section, QStringLiteral("YPosit"), QString::number(place.y()), iniFile);
  PUTINI(section, QStringLiteral("Width"), QString::number(place.width()), iniFile);
  PUTINI(section, QStringLiteral("Height"), QString::number(place.height()), iniFile);
}

void RestoreWindowPosition(const QString &section, const QString &iniFile) {
  if (Window *window = ActiveWindow())
    RestoreWindowPosition(*window, section, iniFile);
}

void SaveWindowPosition(const QString &section, const QString &iniFile) {
  if (Window *window = ActiveWindow())
    SaveWindowPosition(*window, section, iniFile);
}

} // namespace vx
