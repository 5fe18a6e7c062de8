#pragma once

#include "proxy/engine/http/body_budget.h"

#include <algorithm>
#include <cstddef>
#include <string>

namespace ql {

// The bytes of one request body and the room they hold in a budget (without a budget they are
// not bounded). The body owns its room: moving it moves the room, and destroying or clearing
// it gives the room back. GUI thread only, as the budget.
class TRequestBody {
public:
  TRequestBody() = default;
  explicit TRequestBody(TBodyBudget *budget) : budget_(budget) {}
  TRequestBody(TRequestBody &&other) noexcept;
  TRequestBody &operator=(TRequestBody &&other) noexcept;
  ~TRequestBody() { GiveBack(room_); }

  // Makes sure the body has room for `total` bytes in all; false when the budget has none left,
  // and the room stays as it was.
  bool Claim(std::size_t total);
  // Gives back the room beyond the bytes held.
  void Fit() { GiveBack(room_ - std::min(room_, bytes_.size())); }
  // Drops the bytes and gives back all the room.
  void Clear();

  std::string &Bytes() { return bytes_; }
  const std::string &Bytes() const { return bytes_; }
  std::size_t Size() const { return bytes_.size(); }
  bool Empty() const { return bytes_.empty(); }

private:
  void GiveBack(std::size_t n);

  TBodyBudget *budget_ = nullptr;
  std::size_t room_ = 0;
  std::string bytes_;
};

} // namespace ql
