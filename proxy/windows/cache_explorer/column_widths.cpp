#include "proxy/windows/cache_explorer/column_widths.h"

#include <algorithm>

namespace ql {

std::vector<int> ShareWidth(const std::vector<int> &widths, const std::vector<int> &floors, int width) {
  const std::size_t columns = widths.size();
  std::vector<bool> floored(columns, false);
  double scale = 0;
  int flooredSum = 0;
  // Each round floors the columns that the shared scale would take below their floors; it
  // ends when the scale leaves every other column above its floor.
  for (bool changed = true; changed;) {
    changed = false;
    flooredSum = 0;
    double freeSum = 0;
    for (std::size_t i = 0; i < columns; ++i) {
      if (floored[i])
        flooredSum += floors[i];
      else
        freeSum += std::max(1, widths[i]);
    }
    scale = freeSum > 0 ? std::max(0, width - flooredSum) / freeSum : 0;
    for (std::size_t i = 0; i < columns; ++i) {
      if (!floored[i] && std::max(1, widths[i]) * scale < floors[i]) {
        floored[i] = true;
        changed = true;
      }
    }
  }
  std::vector<int> shared(columns);
  int left = std::max(0, width - flooredSum);
  std::size_t last = columns;
  for (std::size_t i = 0; i < columns; ++i) {
    shared[i] = floored[i] ? floors[i] : static_cast<int>(std::max(1, widths[i]) * scale);
    if (!floored[i]) {
      left -= shared[i];
      last = i;
    }
  }
  // The pixels that rounding down left over go to the last column that shares.
  if (last < columns)
    shared[last] += std::max(0, left);
  return shared;
}

} // namespace ql
