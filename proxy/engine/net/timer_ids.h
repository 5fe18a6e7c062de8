#pragma once

#include <unordered_set>

namespace ql {

// Hands out the window-timer ids of the connections: 1, 2, ..., kLastId, then 1 again.
// An id stays held from Next until Release, and Next skips held ids, so a counter that has
// wrapped never gives a running timer's id to a second timer.
class TTimerIds {
public:
  static constexpr int kLastId = 32760;

  // The next id that is not held; it is held from now on. Throws std::runtime_error when
  // every id is held.
  int Next();
  void Release(int id);
  bool IsHeld(int id) const { return held_.contains(id); }

private:
  int counter_ = 0;
  std::unordered_set<int> held_;
};

} // namespace ql
