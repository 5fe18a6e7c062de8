#include "support/form_driver.h"

#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"

namespace vx::test {

void RunWithScript(const std::function<void()> &procedure, const std::function<void(int)> &script) {
  const int thread = START(procedure);
  START([thread, script] { script(thread); });
  RunAllThreads();
}

Window &WaitForWindow(int thread, const QString &title) {
  WaitFor([&] {
    Window *window = Window::ActiveOf(thread);
    return window && window->IsOpen() && window->Title() == title;
  });
  return *Window::ActiveOf(thread);
}

void WaitForEnd(int thread) {
  WaitFor([thread] { return !scheduler::IsAlive(thread); });
}

} // namespace vx::test
