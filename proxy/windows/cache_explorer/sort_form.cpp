#include "proxy/windows/cache_explorer/sort_form.h"

#include "proxy/engine/cache/cache_list_sort.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/windows/cache_explorer/cache_form.h"
#include "proxy/windows/cache_explorer/grid_columns.h"
#include "proxy/windows/cache_explorer/progress_panel.h"
#include "proxy/windows/common/help_window.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace ql {

namespace {

constexpr int kHelpContext = 22;

QButtonGroup *RadioGroup(QWidget *parent, QBoxLayout *into, const QString &title,
                         const QStringList &choices) {
  auto *box = new QGroupBox(title, parent);
  auto *layout = new QVBoxLayout(box);
  auto *group = new QButtonGroup(box);
  int id = 0;
  for (const QString &choice : choices) {
    auto *radio = new QRadioButton(choice, box);
    group->addButton(radio, id++);
    layout->addWidget(radio);
  }
  into->addWidget(box);
  return group;
}

} // namespace

TSortForm::TSortForm(TRegIniFile &settings, TCacheForm &explorer, QWidget *parent)
    : QDialog(parent), settings_(settings), explorer_(explorer) {
  setWindowTitle(QStringLiteral("Sort"));
  auto *layout = new QVBoxLayout(this);
  auto *groups = new QHBoxLayout;
  keys_ = RadioGroup(this, groups, QStringLiteral("Sort by"),
                     {QStringLiteral("URL"), QStringLiteral("Title"), QStringLiteral("Retrieval Date"),
                      QStringLiteral("Content Length"), QStringLiteral("Cache Hits")});
  order_ = RadioGroup(this, groups, QStringLiteral("Order"),
                      {QStringLiteral("Ascending"), QStringLiteral("Descending")});
  layout->addLayout(groups);
  auto *buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
  cancel_ = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  QPushButton *help = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &TSortForm::OKButtonClick);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, [] { ShowHelpContext(kHelpContext); });
  AddHelpKey(this, help);
  layout->addWidget(buttons);
  panel_ = new TProgressPanel(this);
  panel_->ShowProgressLine(false);

  explorer_.SortedBy =
      std::clamp(settings_.ReadInteger(kCacheExplorerProperties, QStringLiteral("SortedBy"), 1), 1, 5);
  explorer_.SortDirection =
      settings_.ReadInteger(kCacheExplorerProperties, QStringLiteral("SortDirection"), 0) == 1 ? 1 : 0;
}

TSortForm::~TSortForm() {
  try {
    settings_.WriteInteger(kCacheExplorerProperties, QStringLiteral("SortedBy"), explorer_.SortedBy);
    settings_.WriteInteger(kCacheExplorerProperties, QStringLiteral("SortDirection"),
                           explorer_.SortDirection);
  } catch (const RegistryError &) {
    // The order is kept for this run only.
  }
}

void TSortForm::Choose(int key, int direction) {
  keys_->button(std::clamp(key, 1, 5) - 1)->setChecked(true);
  order_->button(direction == 1 ? 1 : 0)->setChecked(true);
}

void TSortForm::showEvent(QShowEvent *event) {
  Choose(explorer_.SortedBy, explorer_.SortDirection);
  QDialog::showEvent(event);
  // The chosen key has the focus, so the arrow keys move through the keys at once.
  keys_->checkedButton()->setFocus();
}

void TSortForm::OKButtonClick() {
  ok_->setEnabled(false);
  cancel_->setEnabled(false);
  panel_->ShowCaption(QStringLiteral("Sorting. Please wait..."));
  const int key = keys_->checkedId() + 1;
  const int direction = order_->checkedId() == 1 ? 1 : 0;
  const bool directionChanged = direction != explorer_.SortDirection;
  if (!explorer_.View().Exists())
    explorer_.ShowItems();
  explorer_.SortDirection = direction;
  if (key != explorer_.SortedBy) {
    explorer_.SortView(key, direction);
    explorer_.ShowItems();
    explorer_.SortedBy = key;
  } else if (directionChanged) {
    explorer_.View().Change(ReverseList);
    explorer_.ShowItems();
  }
  panel_->hide();
  ok_->setEnabled(true);
  cancel_->setEnabled(true);
  accept();
}

} // namespace ql
