#include "support/headless_window.h"

namespace vx::test {

ProgressRunner HeadlessWindow::Runner() {
  return [this](const ProcessMaker &make) {
    ++runs;
    steps = 0;
    last_ = std::make_shared<RecordingProgress>(cancelAfter);
    std::unique_ptr<BatchProcess> process = make(*last_);
    while (process->Step())
      ++steps;
    return process->Finish();
  };
}

} // namespace vx::test
