#include "library/runtime/windows/combo_control.h"

#include "library/runtime/windows/window.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTreeView>

namespace vx {

ComboControl::ComboControl(Window &window, int number, const QRect &at, int maxLength)
    : Control(window, number, ControlKind::Combo), combo_(new QComboBox(window.ClientArea())) {
  combo_->setEditable(true);
  combo_->setInsertPolicy(QComboBox::NoInsert);
  combo_->lineEdit()->setMaxLength(maxLength);
  if (!at.isEmpty())
    combo_->setGeometry(window.Units().ToPixels(at));
  combo_->show();
  QObject::connect(combo_, &QComboBox::activated, combo_, [this] {
    if (programChange_)
      return;
    combo_->lineEdit()->setModified(false);
    Update();
    Post(EventKind::NewSelection);
    Post(EventKind::Accepted);
  });
  QObject::connect(combo_->lineEdit(), &QLineEdit::editingFinished, combo_, [this] {
    QLineEdit *edit = combo_->lineEdit();
    if (programChange_ || !edit->isModified())
      return;
    edit->setModified(false);
    Accept();
  });
}

QWidget *ComboControl::Widget() const {
  return combo_;
}

QString ComboControl::Text() const {
  return combo_->currentText();
}

void ComboControl::SetText(const QString &text) {
  ProgramChange guard(programChange_);
  combo_->setCurrentIndex(combo_->findText(text, Qt::MatchExactly));
  combo_->setEditText(text);
  combo_->lineEdit()->setModified(false);
}

void ComboControl::SetItems(const QStringList &items) {
  ProgramChange guard(programChange_);
  const QString text = combo_->currentText();
  combo_->clear();
  combo_->addItems(items);
  if (!heading_.isEmpty())
    ShowDropHeading(combo_, heading_);
  combo_->setCurrentIndex(combo_->findText(text, Qt::MatchExactly));
  combo_->setEditText(text);
  combo_->lineEdit()->setModified(false);
}

void ComboControl::SetHeading(const QString &heading) {
  heading_ = heading;
  ShowDropHeading(combo_, heading_);
}

QStringList ComboControl::Items() const {
  QStringList items;
  for (int i = 0; i < combo_->count(); ++i)
    items << combo_->itemText(i);
  return items;
}

void ShowDropHeading(QComboBox *combo, const QString &heading) {
  if (!qobject_cast<QTreeView *>(combo->view())) {
    auto *view = new QTreeView;
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->header()->setStretchLastSection(true);
    combo->setView(view);
  }
  if (auto *model = qobject_cast<QStandardItemModel *>(combo->model()))
    model->setHorizontalHeaderLabels({heading});
}

} // namespace vx
