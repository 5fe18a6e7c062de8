#pragma once

#include "proxy/windows/cache_explorer/grid_columns.h"

#include <QDialog>

class QCheckBox;

namespace ql {

class TRegIniFile;

// Select Headers: the eight boxes that choose the Cache Explorer's columns, each kept under
// its name in "Cache Explorer Properties". The boxes are read from the settings at creation
// and at every showing; OK with no box checked warns "At least one field must be checked"
// and stays open, otherwise writes the boxes and closes with OK. Destruction writes them
// again. The settings store must outlive the dialog.
class TGridSelForm : public QDialog {
public:
  explicit TGridSelForm(TRegIniFile &settings, QWidget *parent = nullptr);
  ~TGridSelForm() override;

  // Whether the box of column i (0 to 7) is checked, and the count of checked boxes.
  bool Checked(std::size_t i) const;
  int CheckedCount() const;
  QCheckBox *Box(std::size_t i) const { return boxes_[i]; }
  // The headings of the checked boxes' columns, in the columns' order.
  QStringList Headings() const;

  void OKButtonClick();

protected:
  void showEvent(QShowEvent *event) override;

private:
  void ReadBoxes();
  void WriteBoxes();

  TRegIniFile &settings_;
  std::array<QCheckBox *, kGridColumns.size()> boxes_{};
};

} // namespace ql
