#include "proxy/windows/bookmarks/info_form.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ql {

TInfoForm::TInfoForm(QWidget *parent) : QDialog(parent), infoMemo_(new QPlainTextEdit(this)) {
  setWindowTitle(QStringLiteral("Information"));
  infoMemo_->setObjectName(QStringLiteral("InfoMemo"));
  infoMemo_->setReadOnly(true);
  infoMemo_->setTabStopDistance(80);
  auto *ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(infoMemo_);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  layout->addLayout(buttons);
  resize(480, 260);
}

void TInfoForm::ShowLines(const QStringList &lines) {
  infoMemo_->clear();
  for (const QString &line : lines)
    infoMemo_->appendPlainText(line);
}

QString TInfoForm::Text() const {
  return infoMemo_->toPlainText();
}

} // namespace ql
