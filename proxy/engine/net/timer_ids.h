#pragma once

#include <array>
#include <cstdint>

namespace ql {

// Hands out the window-timer ids of the connections: 1, 2, ..., the last id (kLastId unless a
// test asks for fewer), then 1 again.
// An id stays held from Next until Release, and Next skips held ids, so a counter that has
// wrapped never gives a running timer's id to a second timer. The held ids are kept as bits,
// so that skipping a long run of them (thousands of idle connections, each with its deadline)
// costs a scan of words, not one step per id.
class TTimerIds {
public:
  static constexpr int kLastId = 32760;

  // lastId is clamped to 1..kLastId.
  explicit TTimerIds(int lastId = kLastId);

  // The next id that is not held; it is held from now on. 0 when every id is held.
  int Next();
  void Release(int id);
  bool IsHeld(int id) const;

private:
  static constexpr int kWords = kLastId / 64 + 1;

  // The first id from `from` to `to` that is not held, or 0.
  int FirstFree(int from, int to) const;

  std::array<std::uint64_t, kWords> held_{};
  int lastId_;
  int heldCount_ = 0;
  int counter_ = 0;
};

} // namespace ql
