#include "proxy/engine/net/timer_ids.h"

#include <stdexcept>

namespace ql {

int TTimerIds::Next() {
  for (int tried = 0; tried < kLastId; ++tried) {
    counter_ = counter_ + 1 > kLastId ? 1 : counter_ + 1;
    if (held_.insert(counter_).second) {
      return counter_;
    }
  }
  throw std::runtime_error("every window-timer id is in use");
}

void TTimerIds::Release(int id) {
  held_.erase(id);
}

} // namespace ql
