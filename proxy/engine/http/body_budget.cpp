#include "proxy/engine/http/body_budget.h"

#include <algorithm>

namespace ql {

bool TBodyBudget::Take(std::size_t n, std::size_t bodyRoom) {
  const std::size_t limit = bodyRoom > kSmallBody ? bound_ - std::min(bound_, kSmallRoom) : bound_;
  if (held_ > limit || n > limit - held_)
    return false;
  held_ += n;
  return true;
}

} // namespace ql
