#include "library/exchange/clipboard/monitor_clipboard.h"

#include "library/core/file_use.h"
#include "library/core/globals.h"
#include "library/core/window_position.h"
#include "library/exchange/clipboard/clipboard_scan.h"
#include "library/exchange/clipboard/clipboard_sites.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/desktop.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/window.h"

namespace vx {

namespace {

const QString kIni = QStringLiteral("VORNIX.INI");
const QString kSection = QStringLiteral("MonitorClipboard");

enum : int { kLine1 = 1, kLine2, kLine3, kStatus = kMonitorStatus, kExit = kMonitorExit };

constexpr int kPollHundredths = 25;

// The clipboard's text when there is a new one to act on: not blank and not the text last
// seen, which it then becomes. The text is fetched only after the clipboard changed, and
// only as much of it is kept as the scan reads.
bool TakeNewText(ClipboardChanges &changes, QString &lastSeen, QString &text) {
  if (!changes.Take())
    return false;
  text = CLIPBOARD().left(kClipboardTextLength);
  if (text.trimmed().isEmpty() || text == lastSeen)
    return false;
  lastSeen = text;
  return true;
}

} // namespace

void MonitorClipboard() {
  ProcedureScope scope;
  FileUse categories(Categories());
  FileUse sites(VORNIX());
  ClipboardTally tally;
  ClipboardChanges changes;
  QString lastSeen;
  QString text;

  Window window(WindowSpec(QStringLiteral("Monitor Clipboard"), WindowKind::MdiChild, QRect(0, 0, 252, 78)));
  window.Add<LabelControl>(kLine1, QStringLiteral("Any text copied to the clipboard from other applications"),
                           QRect(8, 6, 236, 10), false);
  window.Add<LabelControl>(kLine2, QStringLiteral("that contains a URL will be imported automatically"),
                           QRect(8, 16, 236, 10), false);
  window.Add<LabelControl>(kLine3, QStringLiteral("until the Exit button is pressed."), QRect(8, 26, 236, 10),
                           false);
  window.Add<LabelControl>(kStatus, QString(), QRect(8, 42, 236, 10), false).Use(tally.status);
  window.Add<ButtonControl>(kExit, QStringLiteral("E&xit"), QRect(194, 58, 50, 14));
  window.Open();
  RestoreWindowPosition(window, kSection, kIni);
  window.SetDefaultButton(kExit);
  window.SetCancelButton(kExit);
  window.SetTimer(kPollHundredths);

  auto scan = [&] {
    window.Display();
    ScanClipboardText(text, tally);
    window.Display(kStatus);
  };
  while (window.Accept()) {
    const Event event = window.CurrentEvent();
    switch (event.kind) {
    case EventKind::OpenWindow:
      if (TakeNewText(changes, lastSeen, text) &&
          MESSAGE(QStringLiteral("Ignore current clipboard contents?"),
                  QStringLiteral("Clipboard Contains Data"), MessageIcon::Exclamation, BUTTON_YES | BUTTON_NO,
                  BUTTON_NO) == BUTTON_NO)
        scan();
      window.Display();
      window.Select(kExit);
      break;
    case EventKind::Timer:
      if (TakeNewText(changes, lastSeen, text))
        scan();
      break;
    case EventKind::Accepted:
      if (event.control == kExit)
        window.Post(EventKind::CloseWindow);
      break;
    default:
      break;
    }
  }
  SaveWindowPosition(window, kSection, kIni);
  window.Close();
}

} // namespace vx
