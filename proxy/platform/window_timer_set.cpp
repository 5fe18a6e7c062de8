#include "proxy/platform/window_timer_set.h"

#include <algorithm>

namespace ql {

void WindowTimerSet::Start(UINT_PTR id, int intervalMs, Clock::time_point now) {
  Stop(id);
  const Clock::duration interval = std::chrono::milliseconds(std::max(intervalMs, 1));
  const Clock::time_point due = now + interval;
  entries_.emplace(id, Entry{due, interval});
  order_.emplace(due, id);
}

bool WindowTimerSet::Stop(UINT_PTR id) {
  const auto it = entries_.find(id);
  if (it == entries_.end()) {
    return false;
  }
  order_.erase({it->second.due, id});
  entries_.erase(it);
  return true;
}

bool WindowTimerSet::TickQueued(UINT_PTR id) const {
  const auto it = entries_.find(id);
  return it != entries_.end() && it->second.tickQueued;
}

void WindowTimerSet::SetTickQueued(UINT_PTR id, bool queued) {
  const auto it = entries_.find(id);
  if (it != entries_.end()) {
    it->second.tickQueued = queued;
  }
}

std::vector<UINT_PTR> WindowTimerSet::TakeDue(Clock::time_point now) {
  std::vector<UINT_PTR> due;
  while (!order_.empty() && order_.begin()->first <= now) {
    const UINT_PTR id = order_.begin()->second;
    order_.erase(order_.begin());
    Entry &entry = entries_.at(id);
    entry.due += entry.interval;
    if (entry.due <= now) {
      entry.due = now + entry.interval;
    }
    order_.emplace(entry.due, id);
    due.push_back(id);
  }
  return due;
}

std::optional<WindowTimerSet::Clock::time_point> WindowTimerSet::NextDue() const {
  if (order_.empty()) {
    return std::nullopt;
  }
  return order_.begin()->first;
}

void WindowTimerSet::Clear() {
  entries_.clear();
  order_.clear();
}

} // namespace ql
