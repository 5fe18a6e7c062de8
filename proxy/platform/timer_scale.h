#pragma once

#include "proxy/platform/win_types.h"

namespace ql {

// Process-wide factor applied to the interval of every window timer and plain timer when it
// is started. It is 1.0 unless a test sets it to run long timers (60000 ms inactivity, 5000 ms
// destroy timer) quickly; the program itself never changes it. Non-positive factors are
// ignored.
void SetTimerScale(double factor);
double TimerScale();

// The interval in milliseconds that a timer of `ms` runs at under the current scale; at least 1.
int ScaledInterval(UINT ms);

} // namespace ql
