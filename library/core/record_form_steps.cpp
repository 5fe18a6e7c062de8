#include "library/core/record_form_steps.h"

#include "library/core/standard_messages.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/window.h"

#include <QCursor>
#include <QGuiApplication>

namespace vx {

namespace {

// Runs a write with the wait cursor shown.
int WithWaitCursor(const std::function<int()> &work) {
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  const int result = work();
  QGuiApplication::restoreOverrideCursor();
  return result;
}

} // namespace

int ConfirmAndDelete(const std::function<int()> &deleteRecord) {
  if (ShowStandardMessage0(32) != BUTTON_OK)
    return 2;
  for (;;) {
    if (WithWaitCursor(deleteRecord) == 0)
      return 1;
    if (ShowStandardMessage0(18) != BUTTON_YES)
      return 2;
  }
}

WriteOutcome WriteWithRetry(const std::function<int()> &writeRecord) {
  for (;;) {
    if (WithWaitCursor(writeRecord) == 0)
      return WriteOutcome::Written;
    switch (ShowStandardMessage0(16)) {
    case BUTTON_YES:
      continue;
    case BUTTON_NO:
      return WriteOutcome::GiveUp;
    default:
      return WriteOutcome::BackToForm;
    }
  }
}

void FinishAdd(Window &window, bool added, int firstControl, int &response) {
  if (added) {
    response = 1;
    window.Post(EventKind::CloseWindow);
  } else {
    window.Select(firstControl);
  }
}

void FinishWrite(Window &window, WriteOutcome outcome, int firstControl, int &response) {
  switch (outcome) {
  case WriteOutcome::Written:
    response = 1;
    window.Post(EventKind::CloseWindow);
    break;
  case WriteOutcome::GiveUp:
    window.Post(EventKind::CloseWindow);
    break;
  case WriteOutcome::BackToForm:
    window.Display();
    window.Select(firstControl);
    break;
  }
}

} // namespace vx
