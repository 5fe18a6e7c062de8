#pragma once

#include <QDialog>

namespace ql {

// The About box, "About Quenlark": the program's picture, its name and version and an OK
// button. Made on demand and shown modally, centred on the screen of the window that opens it.
class TAboutForm : public QDialog {
public:
  explicit TAboutForm(QWidget *parent = nullptr);

protected:
  void showEvent(QShowEvent *event) override;
};

} // namespace ql
