#pragma once

#include <cstddef>

namespace ql {

// A bound on the request-body bytes held in memory by every body given this budget, all
// together. A body takes room before it keeps bytes and gives it back when they go. A body of
// more than kSmallBody bytes gets room only while kSmallRoom of the bound stays free beside it,
// so that small bodies (forms) still find room while large ones fill the rest. GUI thread only.
class TBodyBudget {
public:
  static constexpr std::size_t kSmallBody = 64 * 1024;
  static constexpr std::size_t kSmallRoom = 4 * 1024 * 1024;

  explicit TBodyBudget(std::size_t bound) : bound_(bound) {}
  TBodyBudget(const TBodyBudget &) = delete;
  TBodyBudget &operator=(const TBodyBudget &) = delete;

  // Takes n more bytes of room for a body that then holds bodyRoom bytes in all; false, taking
  // nothing, when they do not fit.
  bool Take(std::size_t n, std::size_t bodyRoom);
  void Give(std::size_t n) { held_ -= n; }
  std::size_t Held() const { return held_; }

private:
  std::size_t bound_;
  std::size_t held_ = 0;
};

} // namespace ql
