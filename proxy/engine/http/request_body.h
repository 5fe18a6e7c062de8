#pragma once

#include "proxy/engine/http/body_budget.h"

#include <QByteArray>

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

  // Makes sure the body's block holds `total` bytes in all, so that appending up to them never
  // grows the block behind the budget's back: a block that must grow doubles (up to most bytes),
  // or takes just `total` when the budget has no room for that, and the room taken always
  // covers the whole block. False when the budget has no room even for `total`; the body then
  // stays as it was.
  bool Reserve(std::size_t total, std::size_t most);
  // Drops the bytes and gives back all the room.
  void Clear();

  std::string &Bytes() { return bytes_; }
  const std::string &Bytes() const { return bytes_; }
  std::size_t Size() const { return bytes_.size(); }
  bool Empty() const { return bytes_.empty(); }
  // The bytes as a byte array that does not copy them: valid while the body neither changes
  // nor goes.
  QByteArray View() const {
    return QByteArray::fromRawData(bytes_.data(), static_cast<qsizetype>(bytes_.size()));
  }

private:
  // Makes sure the body has room for `total` bytes in all; false when the budget has none left.
  bool Claim(std::size_t total);
  void GiveBack(std::size_t n);

  TBodyBudget *budget_ = nullptr;
  std::size_t room_ = 0;
  std::string bytes_;
};

} // namespace ql
