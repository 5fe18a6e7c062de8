#include "library/exchange/batch_process.h"

namespace vx {

int RunToEnd(BatchProcess &process) {
  while (process.Step()) {
  }
  return process.Finish();
}

} // namespace vx
