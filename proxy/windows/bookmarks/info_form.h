#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace ql {

// The Information window (TInfoForm): a read-only memo (InfoMemo) with an OK button, where the
// Bookmark Properties dialog writes out a bookmark's Autobrowse settings.
class TInfoForm : public QDialog {
public:
  explicit TInfoForm(QWidget *parent = nullptr);

  void ShowLines(const QStringList &lines);
  QString Text() const;

private:
  QPlainTextEdit *infoMemo_;
};

} // namespace ql
