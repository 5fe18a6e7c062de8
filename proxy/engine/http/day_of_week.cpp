#include "proxy/engine/http/day_of_week.h"

#include <cmath>

namespace ql {

int DayOfWeek(TDateTime date) {
  const long long day = static_cast<long long>(std::floor(date));
  return static_cast<int>(((day + 6) % 7 + 7) % 7);
}

} // namespace ql
