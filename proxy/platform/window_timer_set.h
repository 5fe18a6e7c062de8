#pragma once

#include "proxy/platform/win_types.h"

#include <chrono>
#include <optional>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

namespace ql {

// The periodic timers of one message window, by id, kept in the order of their next tick, so
// that starting, replacing and stopping one costs the same however many run. The window drives
// them all with one Qt timer set to the earliest tick. Each timer also carries whether its tick
// waits in the message queue, so that ticks never pile up.
class WindowTimerSet {
public:
  using Clock = std::chrono::steady_clock;

  // Starts timer id (replacing one that runs) with its first tick intervalMs (at least 1)
  // after now.
  void Start(UINT_PTR id, int intervalMs, Clock::time_point now);
  // False when no such timer ran.
  bool Stop(UINT_PTR id);
  bool Running(UINT_PTR id) const { return entries_.contains(id); }
  bool TickQueued(UINT_PTR id) const;
  void SetTickQueued(UINT_PTR id, bool queued);
  // The timers whose tick is due at now, each once, in order of their ticks. Each next tick
  // comes one interval later, or one interval after now when the timer fell behind.
  std::vector<UINT_PTR> TakeDue(Clock::time_point now);
  std::optional<Clock::time_point> NextDue() const;
  void Clear();

private:
  struct Entry {
    Clock::time_point due;
    Clock::duration interval;
    bool tickQueued = false;
  };

  std::unordered_map<UINT_PTR, Entry> entries_;
  std::set<std::pair<Clock::time_point, UINT_PTR>> order_;
};

} // namespace ql
