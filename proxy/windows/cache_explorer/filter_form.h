#pragma once

#include "proxy/engine/search/cache_search.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;

namespace ql {

class TCacheForm;
class TProgressPanel;
class TRegIniFile;

// Filter, "Filter": the criteria of a cache search (From and To dates, texts to find in the
// title, URL and HTML body with their histories, match case, apply to the current selection,
// the five file-type classes). OK checks the dates, runs the search on the Cache Explorer's
// view list with this dialog as its window (so that Cancel stops it), sorts the result by the
// Explorer's order, shows it there and adds the texts to their histories. Cancel while a
// search runs clears the go-on flag.
//
// Creation reads the histories and the type boxes from the section "Filter"; destruction drops
// the Explorer's view list and writes them back. The settings store and the Explorer must
// outlive the dialog.
class TFilterForm : public QDialog, public TSearchWindow {
public:
  TFilterForm(TRegIniFile &settings, TCacheForm &explorer, QWidget *parent = nullptr);
  ~TFilterForm() override;

  QLineEdit *FromDateEdit = nullptr;
  QLineEdit *ToDateEdit = nullptr;
  QComboBox *TitleSearchEdit = nullptr;
  QComboBox *URLSearchEdit = nullptr;
  QComboBox *HTMLSearchEdit = nullptr;
  QCheckBox *MatchCaseCB = nullptr;
  QCheckBox *ApplyToCurrentCB = nullptr;
  QCheckBox *TextCB = nullptr;
  QCheckBox *ImagesCB = nullptr;
  QCheckBox *VideoCB = nullptr;
  QCheckBox *AudioCB = nullptr;
  QCheckBox *OtherCB = nullptr;

  QPushButton *OKButton() const { return ok_; }

  // The handlers. OKButtonClick returns whether a search ran.
  bool OKButtonClick();
  void BitBtn1Click(); // Cancel
  void ClearButtonClick();
  void Today1Click();
  void Yesterday1Click();
  void PastWeek1Click();
  void Pasttwoweeks1Click();
  void PastMonth1Click();
  // The date box's text as typed becomes the date it means (a popup word or an age); a text
  // that means no date stays as it is.
  void SpecialDateConversion(QLineEdit *edit);

  // TSearchWindow: the search lets messages run and shows its HTML pass here.
  void ProcessMessages() override;
  void ShowHtmlProgress() override;
  void SetHtmlProgress(int percent) override;
  void HideHtmlProgress() override;

  // Closing the dialog (Cancel, Escape) while a search runs clears the go-on flag.
  void reject() override;

protected:
  void showEvent(QShowEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  QComboBox *AddHistoryBox(const QString &name);
  bool CheckDate(QLineEdit *edit, const QString &error);
  void SetDates(const QString &from, const QString &to);
  void AddToHistory(QComboBox *box);

  TRegIniFile &settings_;
  TCacheForm &explorer_;
  QMenu *datePopupMenu_ = nullptr;
  QLineEdit *popupTarget_ = nullptr;
  QPushButton *ok_ = nullptr;
  QPushButton *clear_ = nullptr;
  TProgressPanel *panel_ = nullptr;
  bool searching_ = false;
};

} // namespace ql
