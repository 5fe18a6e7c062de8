#include "library/core/rejected_entry.h"

#include "library/runtime/desktop.h"
#include "library/runtime/window.h"

namespace vx {

void ShowRejected(Window &window, int control) {
  BEEP();
  window.Display(control);
  window.Select(control);
}

} // namespace vx
