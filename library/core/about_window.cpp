#include "library/core/about_window.h"

#include "library/core/globals.h"
#include "library/core/program_files.h"
#include "library/core/rejected_entry.h"
#include "library/core/window_position.h"
#include "library/runtime/language/string_functions.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/window.h"

namespace vx {

namespace {

enum : int { kPicture = 1, kVersion = 2, kOk = 3 };
const QString kSection = QStringLiteral("About");
const QString kIni = QStringLiteral("VORNIX.INI");

} // namespace

void About() {
  ProcedureScope scope;
  WindowSpec spec(QStringLiteral("About"), WindowKind::Dialog, QRect(0, 0, 200, 156));
  spec.resizable = false;
  spec.icon = ProgramIcon(QStringLiteral("VUDODU.ICO"));
  Window window(spec);
  window.Add<ImageControl>(kPicture, QRect(4, 4, 192, 112), ProgramFile(QStringLiteral("VORNIX01.GIF")));
  QString versionLine;
  window.Add<LabelControl>(kVersion, QString(), QRect(4, 120, 140, 12), false).Use(versionLine);
  window.Add<ButtonControl>(kOk, QStringLiteral("&OK"), QRect(150, 136, 46, 14));
  window.Open();
  RestoreWindowPosition(window, kSection, kIni);
  versionLine = QStringLiteral("Version ") + CLIP(VersionText);
  window.SetDefaultButton(kOk);
  window.SetCancelButton(kOk);
  while (window.Accept()) {
    const Event &event = window.CurrentEvent();
    switch (event.kind) {
    case EventKind::Accepted:
      if (event.control == kOk)
        window.Post(EventKind::CloseWindow);
      break;
    case EventKind::OpenWindow:
    case EventKind::GainFocus:
      window.Display();
      break;
    case EventKind::Rejected:
      ShowRejected(window, event.control);
      break;
    default:
      break;
    }
  }
  SaveWindowPosition(window, kSection, kIni);
  window.Close();
  scope.response = 2;
}

} // namespace vx
