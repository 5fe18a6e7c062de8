#pragma once

#include "library/exchange/batch_process.h"

namespace vx::bench {

// A progress window that shows nothing and is never cancelled: the benchmarks and the fault
// work run the library's processes without one.
class NoWindow : public BatchProgress {
public:
  void ShowTexts(const QString &, const QString &) override {}
  void ShowPercent(int, const QString &) override {}
  bool CancelPressed() const override { return false; }
};

} // namespace vx::bench
