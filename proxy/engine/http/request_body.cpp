#include "proxy/engine/http/request_body.h"

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
