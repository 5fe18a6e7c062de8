#pragma once

#include "library/runtime/windows/control.h"

#include <QStringList>

class QComboBox;

namespace vx {

// An editable drop combo: a one-line entry with a list of texts to choose from. Its value
// is the text in the entry, typed or chosen. Choosing a text from the list copies it into
// the USE variable and posts NewSelection and Accepted; a typed text is taken when the
// entry is left or Enter is pressed, and posts Accepted. The list offers choices only: a
// text that is not on it is a value like any other. A text set that is on the list makes
// its row the list's current one.
class ComboControl : public Control {
public:
  ComboControl(Window &window, int number, const QRect &at, int maxLength = 255);
  QWidget *Widget() const override;
  bool TakesInput() const override { return true; }
  QString Text() const override;
  void SetText(const QString &text) override;
  void SetItems(const QStringList &items);
  QStringList Items() const;
  // Shows `heading` above the dropped-down rows.
  void SetHeading(const QString &heading);

private:
  QComboBox *combo_;
  QString heading_;
};

// Shows `heading` above the rows of the combo's drop list. Filling the list anew drops the
// heading: the owner calls it again after each filling.
void ShowDropHeading(QComboBox *combo, const QString &heading);

} // namespace vx
