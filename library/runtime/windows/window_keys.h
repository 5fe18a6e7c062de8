#pragma once

#include <QObject>

namespace vx {

// Eats the one key press that follows a mnemonic a window has used, so that its letter is
// typed nowhere: it watches the whole application for that press only. Each Window owns one.
class KeyEater : public QObject {
public:
  ~KeyEater() override;
  void Eat(int key);
  void Stop();

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  int key_ = 0;
};

} // namespace vx
