#pragma once

#include <QObject>

namespace vx {

// Eats the one key press that follows a mnemonic a window has used, so that its letter is
// typed nowhere: it watches the whole application for that press only. Each Window owns one.
// It watches from its construction on, so that the application's filters installed later
// see the press before it is eaten: the frame's menu bar, which takes the keyboard when Alt
// is let go unless another key came between, then knows that the Alt press was a mnemonic's.
class KeyEater : public QObject {
public:
  KeyEater();
  ~KeyEater() override;
  void Eat(int key);
  void Stop();

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  int key_ = 0;
};

} // namespace vx
