#pragma once

#include <QDialog>

class QButtonGroup;
class QPushButton;

namespace ql {

class TCacheForm;
class TProgressPanel;
class TRegIniFile;

// Sort, "Sort": the Cache Explorer's sort key ("Sort by": URL, Title, Retrieval Date, Content
// Length, Cache Hits) and direction ("Order": Ascending, Descending). Creation reads
// "Cache Explorer Properties"/SortedBy and SortDirection into the Explorer; destruction writes
// them back. Showing selects the Explorer's current choice. OK sorts the view by a new key, or
// reverses it when only the direction changed, and shows it. The settings store and the
// Explorer must outlive the dialog.
class TSortForm : public QDialog {
public:
  TSortForm(TRegIniFile &settings, TCacheForm &explorer, QWidget *parent = nullptr);
  ~TSortForm() override;

  // The choice shown: key 1 to 5, direction 0 or 1.
  void Choose(int key, int direction);
  void OKButtonClick();

protected:
  void showEvent(QShowEvent *event) override;

private:
  TRegIniFile &settings_;
  TCacheForm &explorer_;
  QButtonGroup *keys_;
  QButtonGroup *order_;
  QPushButton *ok_;
  QPushButton *cancel_;
  TProgressPanel *panel_;
};

} // namespace ql
