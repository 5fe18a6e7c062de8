#pragma once

#include "library/exchange/progress_runner.h"
#include "support/recording_progress.h"

#include <memory>

namespace vx::test {

// The progress window of the merge and the conversions, without a window: each run makes
// its process with a fresh RecordingProgress, which presses Cancel once the process has
// asked `cancelAfter` times (never when -1), and drives it with RunToEnd. The progress of
// the last run is kept for the test to read.
class HeadlessWindow {
public:
  explicit HeadlessWindow(int cancelAfter = -1) : cancelAfter(cancelAfter) {}

  ProgressRunner Runner();
  const RecordingProgress &last() const { return *last_; }

  int cancelAfter;
  int runs = 0;
  int steps = 0; // the Steps of the last run that asked for more

private:
  std::shared_ptr<RecordingProgress> last_;
};

} // namespace vx::test
