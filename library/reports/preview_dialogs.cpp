#include "library/reports/preview_dialogs.h"

#include "library/core/globals.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/spin_control.h"
#include "library/runtime/windows/window.h"
#include "library/runtime/windows/window_bars.h"

namespace vx {

namespace {

// The spin's value after a refused entry: the bound it passed.
void TakeBound(Window &window, int control, int &variable) {
  auto &spin = window.Get<SpinControl>(control);
  variable = window.CurrentEvent().detail == RejectDetail::AboveRange ? spin.High() : spin.Low();
  window.Display(control);
  window.Select(control);
}

} // namespace

int PreviewJumpToPage(int current, int total) {
  ProcedureScope scope;
  enum : int { kPrompt = 1, kSpin, kOk, kCancel };
  WindowSpec spec(QStringLiteral("Jump to a Report Page"), WindowKind::Dialog, QRect(0, 0, 120, 46));
  spec.resizable = false;
  Window window(spec);
  int page = current;
  window.Add<LabelControl>(kPrompt, QStringLiteral("&Page:"), QRect(8, 9, 30, 10));
  auto &spin = window.Add<SpinControl>(kSpin, QRect(40, 7, 40, 13), 5, 1, std::max(1, total));
  spin.Use(page);
  SetStatusMessage(spin, QStringLiteral("Select a page of the report"));
  SetStatusMessage(window.Add<ButtonControl>(kOk, QStringLiteral("OK"), QRect(16, 27, 40, 14)),
                   QStringLiteral("Jump to the selected page"));
  SetStatusMessage(window.Add<ButtonControl>(kCancel, QStringLiteral("Cancel"), QRect(64, 27, 40, 14)),
                   QStringLiteral("Cancel this selection"));
  window.SetDefaultButton(kOk);
  window.SetCancelButton(kCancel);
  window.Open();
  window.Display();
  int answer = current;
  while (window.Accept()) {
    const Event &event = window.CurrentEvent();
    if (event.kind == EventKind::Rejected && event.control == kSpin) {
      TakeBound(window, kSpin, page);
    } else if (event.kind == EventKind::Accepted && event.control == kOk) {
      window.Get<SpinControl>(kSpin).Update();
      answer = std::clamp(page, 1, std::max(1, total));
      window.Post(EventKind::CloseWindow);
    } else if (event.kind == EventKind::Accepted && event.control == kCancel) {
      window.Post(EventKind::CloseWindow);
    }
  }
  window.Close();
  return answer;
}

void PreviewSelectDisplay(int &across, int &down) {
  ProcedureScope scope;
  enum : int { kGroup = 1, kAcross, kDown, kOk, kAcrossPrompt, kDownPrompt };
  WindowSpec spec(QStringLiteral("Change the Report Display"), WindowKind::Dialog, QRect(0, 0, 132, 62));
  spec.resizable = false;
  Window window(spec);
  window.Add<OptionControl>(kGroup, QStringLiteral("Pages Displayed"), QRect(6, 4, 120, 34));
  window.Add<LabelControl>(kAcrossPrompt, QStringLiteral("Across"), QRect(12, 19, 26, 10));
  window.Add<SpinControl>(kAcross, QRect(38, 17, 24, 13), 2, 1, 10).Use(across);
  window.Add<LabelControl>(kDownPrompt, QStringLiteral("Down"), QRect(70, 19, 24, 10));
  window.Add<SpinControl>(kDown, QRect(94, 17, 24, 13), 2, 1, 10).Use(down);
  window.Add<ButtonControl>(kOk, QStringLiteral("OK"), QRect(46, 43, 40, 14));
  window.SetDefaultButton(kOk);
  window.SetCancelButton(kOk); // its only button: Escape closes it as OK does
  window.Open();
  window.Display();
  while (window.Accept()) {
    const Event &event = window.CurrentEvent();
    if (event.kind == EventKind::Rejected && event.control == kAcross) {
      TakeBound(window, kAcross, across);
    } else if (event.kind == EventKind::Rejected && event.control == kDown) {
      TakeBound(window, kDown, down);
    } else if (event.kind == EventKind::Accepted && event.control == kOk) {
      window.Post(EventKind::CloseWindow);
    }
  }
  window.Close();
}

} // namespace vx
