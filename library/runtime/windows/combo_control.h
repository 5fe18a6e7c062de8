#pragma once

#include "library/runtime/windows/control.h"

#include <QStringList>

class QComboBox;

namespace vx {

// An editable drop combo: a one-line entry with a list of texts to choose from. Its value
// is the text in the entry, typed or chosen. Choosing a text from the list copies it into
// the USE variable and posts NewSelection and Accepted; a typed text is taken when the
// entry is left or Enter is pressed, and posts Accepted. The list offers choices only: a
// text that is not on it is a value like any other.
class ComboControl : public Control {
public:
  ComboControl(Window &window, int number, const QRect &at, int maxLength = 255);
  QWidget *Widget() const override;
  bool TakesInput() const override { return true; }
  QString Text() const override;
  void SetText(const QString &text) override;
  void SetItems(const QStringList &items);
  QStringList Items() const;

private:
  QComboBox *combo_;
};

} // namespace vx
