#pragma once

#include <QWidget>

namespace ql {

// The splash window: the program's picture in a borderless window at the screen's centre,
// shown while the program creates its windows and freed before its event loop runs.
class TSplashForm : public QWidget {
public:
  TSplashForm();

protected:
  void paintEvent(QPaintEvent *event) override;
};

} // namespace ql
