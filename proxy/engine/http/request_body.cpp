#include "proxy/engine/http/request_body.h"

#include <algorithm>
#include <utility>

namespace ql {

TRequestBody::TRequestBody(TRequestBody &&other) noexcept
    : budget_(other.budget_), room_(std::exchange(other.room_, 0)), bytes_(std::move(other.bytes_)) {
  other.bytes_.clear();
}

TRequestBody &TRequestBody::operator=(TRequestBody &&other) noexcept {
  if (this != &other) {
    GiveBack(room_);
    budget_ = other.budget_;
    room_ = std::exchange(other.room_, 0);
    bytes_ = std::move(other.bytes_);
    other.bytes_.clear();
  }
  return *this;
}

bool TRequestBody::Claim(std::size_t total) {
  if (total <= room_)
    return true;
  if (budget_ != nullptr && !budget_->Take(total - room_, total))
    return false;
  room_ = total;
  return true;
}

bool TRequestBody::Reserve(std::size_t total, std::size_t most) {
  if (total <= bytes_.capacity())
    return true;
  std::size_t block = std::max(total, std::min(2 * bytes_.capacity(), most));
  if (!Claim(block)) {
    block = total;
    if (!Claim(block))
      return false;
  }
  // A block of its own size exactly: a string's own growth may take more than asked for.
  std::string grown;
  grown.reserve(block);
  grown.append(bytes_);
  bytes_.swap(grown);
  return true;
}

void TRequestBody::Clear() {
  std::string().swap(bytes_);
  GiveBack(room_);
}

void TRequestBody::GiveBack(std::size_t n) {
  if (budget_ != nullptr)
    budget_->Give(n);
  room_ -= n;
}

} // namespace ql
