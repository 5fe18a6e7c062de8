#include "library/core/program_entry.h"

#include "library/core/main_frame.h"
#include "library/runtime/windows/halt.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"

namespace vx {

int ProgramEntry() {
  try {
    const int main = START(Main, 0);
    scheduler::RunUntil([main] { return !scheduler::IsAlive(main); });
    for (int thread : scheduler::LiveThreads()) {
      for (Window *window : scheduler::WindowsOf(thread))
        window->Post(EventKind::CloseDown);
    }
    scheduler::RunUntilAllEnded();
  } catch (const HaltRequest &halt) {
    return halt.code;
  }
  return 0;
}

} // namespace vx
