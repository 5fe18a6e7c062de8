#pragma once

#include "library/exchange/batch_process.h"

#include <QStringList>

namespace vx::test {

// A progress window without a window: it records what the process shows and presses
// Cancel once the process has asked `cancelAfter` times whether to go on (never when -1).
class RecordingProgress : public BatchProgress {
public:
  explicit RecordingProgress(int cancelAfter = -1) : cancelAfter_(cancelAfter) {}

  void ShowTexts(const QString &title, const QString &text) override { texts << title << text; }
  void ShowPercent(int percent, const QString &line) override {
    percents << percent;
    lines << line;
  }
  bool CancelPressed() const override { return cancelAfter_ >= 0 && ++asked_ > cancelAfter_; }

  QStringList texts;
  QList<int> percents;
  QStringList lines;

private:
  int cancelAfter_;
  mutable int asked_ = 0;
};

} // namespace vx::test
