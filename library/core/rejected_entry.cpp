#include "library/core/rejected_entry.h"

#include "library/runtime/windows/desktop.h"
#include "library/runtime/windows/window.h"

namespace vx {

void ShowRejected(Window &window, int control) {
  BEEP();
  window.Display(control);
  window.Select(control);
}

} // namespace vx
