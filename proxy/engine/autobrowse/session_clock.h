#pragma once

#include "proxy/engine/http/dates.h"

#include <QString>

#include <array>
#include <cstdint>

namespace ql {

// A millisecond tick count that only rises, from an arbitrary start; never 0, so that 0 can
// stand for "not started".
int64_t TickCount();

// A moment of the session log: "Tuesday, March 5, 2024 - 09:07:03".
QString SessionTimeText(TDateTime when);

// A span of milliseconds as a time of day "hh:mm:ss" (a span of a day or more shows its rest).
QString DurationText(int64_t ms);

// The transfer rate of an Autobrowse run: the byte counts of its last ten steps, each with
// the tick at which it was taken.
class TSpeedRing {
public:
  static constexpr std::size_t kSlots = 10;

  // Every slot holds (0, now).
  void Reset(int64_t now);
  // Drops the oldest slot and takes this step's bytes; returns the bytes per second over the
  // span from the oldest kept slot to now (0 when that cannot be worked out).
  int64_t Add(int64_t bytes, int64_t now);

private:
  struct TSlot {
    int64_t bytes = 0;
    int64_t tick = 0;
  };
  std::array<TSlot, kSlots> slots_{};
};

} // namespace ql
