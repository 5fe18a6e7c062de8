#include "proxy/platform/timer_scale.h"

#include <climits>
#include <cmath>

namespace ql {
namespace {
double g_scale = 1.0;
}

void SetTimerScale(double factor) {
  if (factor > 0.0 && std::isfinite(factor)) {
    g_scale = factor;
  }
}

double TimerScale() {
  return g_scale;
}

int ScaledInterval(UINT ms) {
  const double scaled = std::round(static_cast<double>(ms) * g_scale);
  if (scaled < 1.0) {
    return 1;
  }
  if (scaled > static_cast<double>(INT_MAX)) {
    return INT_MAX;
  }
  return static_cast<int>(scaled);
}

} // namespace ql
