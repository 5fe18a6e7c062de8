#include "library/core/splash_window.h"

#include "library/core/globals.h"
#include "library/core/program_files.h"
#include "library/runtime/language/string_functions.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/window.h"

#include <QMdiArea>

namespace vx {

namespace {

enum : int { kPicture = 1, kVersion = 2 };

// Puts the window in the middle of the frame's client area, or of its own parent.
void Centre(Window &window) {
  QWidget *outer = window.Outer();
  QWidget *area = outer->parentWidget();
  if (!area)
    return;
  const QSize free = area->size() - outer->size();
  outer->move(std::max(0, free.width() / 2), std::max(0, free.height() / 2));
}

} // namespace

void Splash() {
  ProcedureScope scope;
  WindowSpec spec(QString(), WindowKind::MdiChild, QRect(0, 0, 200, 136));
  spec.caption = false;
  spec.resizable = false;
  Window window(spec);
  window.Add<ImageControl>(kPicture, QRect(4, 4, 192, 112), ProgramFile(QStringLiteral("VORNIX01.GIF")));
  auto &version = window.Add<LabelControl>(kVersion, QString(), QRect(4, 120, 192, 12), false);
  QString versionLine;
  version.Use(versionLine);
  window.Open();
  Centre(window);
  versionLine = QStringLiteral("Version ") + CLIP(VersionText);
  window.Display();
  window.SetTimer(300);
  window.Alert(KEY_MOUSE_LEFT);
  window.Alert(KEY_MOUSE_LEFT2);
  window.Alert(KEY_MOUSE_RIGHT);
  while (window.Accept()) {
    switch (window.CurrentEvent().kind) {
    case EventKind::Timer:
    case EventKind::AlertKey:
      window.Post(EventKind::CloseWindow);
      break;
    case EventKind::OpenWindow:
    case EventKind::GainFocus:
      window.Display();
      break;
    default:
      break;
    }
  }
  window.Close();
  scope.response = 2;
}

} // namespace vx
