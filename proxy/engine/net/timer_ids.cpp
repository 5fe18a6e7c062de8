#include "proxy/engine/net/timer_ids.h"

#include <algorithm>
#include <bit>

namespace ql {

namespace {

std::uint64_t Bit(int id) {
  return std::uint64_t{1} << (id % 64);
}

} // namespace

int TTimerIds::FirstFree(int from, int to) const {
  for (int word = from / 64; word <= to / 64; ++word) {
    std::uint64_t free = ~held_[static_cast<std::size_t>(word)];
    if (word == from / 64) {
      free &= ~(Bit(from) - 1);
    }
    if (word == to / 64 && to % 64 != 63) {
      free &= (Bit(to + 1) - 1);
    }
    if (free != 0) {
      return word * 64 + std::countr_zero(free);
    }
  }
  return 0;
}

TTimerIds::TTimerIds(int lastId) : lastId_(std::clamp(lastId, 1, kLastId)) {}

int TTimerIds::Next() {
  if (heldCount_ == lastId_) {
    return 0;
  }
  int id = counter_ < lastId_ ? FirstFree(counter_ + 1, lastId_) : 0;
  if (id == 0) {
    id = FirstFree(1, counter_);
  }
  held_[static_cast<std::size_t>(id / 64)] |= Bit(id);
  ++heldCount_;
  counter_ = id;
  return id;
}

void TTimerIds::Release(int id) {
  if (IsHeld(id)) {
    held_[static_cast<std::size_t>(id / 64)] &= ~Bit(id);
    --heldCount_;
  }
}

bool TTimerIds::IsHeld(int id) const {
  return id >= 1 && id <= kLastId && (held_[static_cast<std::size_t>(id / 64)] & Bit(id)) != 0;
}

} // namespace ql
