#include "proxy/windows/cache_explorer/grid_sel_form.h"

#include "proxy/platform/message_dialogs.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/windows/common/help_window.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace ql {

namespace {
constexpr int kHelpContext = 27;
}

TGridSelForm::TGridSelForm(TRegIniFile &settings, QWidget *parent) : QDialog(parent), settings_(settings) {
  setWindowTitle(QStringLiteral("Select Headers"));
  auto *layout = new QVBoxLayout(this);
  auto *group = new QGroupBox(QStringLiteral("Show columns"), this);
  auto *boxes = new QVBoxLayout(group);
  for (std::size_t i = 0; i < kGridColumns.size(); ++i) {
    boxes_[i] = new QCheckBox(QLatin1String(kGridColumns[i].caption), group);
    boxes_[i]->setObjectName(QLatin1String(kGridColumns[i].box));
    boxes->addWidget(boxes_[i]);
  }
  layout->addWidget(group);
  auto *buttons = new QDialogButtonBox(this);
  QPushButton *ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  QPushButton *help = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &TGridSelForm::OKButtonClick);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, [] { ShowHelpContext(kHelpContext); });
  AddHelpKey(this, help);
  layout->addWidget(buttons);
  ReadBoxes();
}

TGridSelForm::~TGridSelForm() {
  WriteBoxes();
}

bool TGridSelForm::Checked(std::size_t i) const {
  return boxes_[i]->isChecked();
}

int TGridSelForm::CheckedCount() const {
  int count = 0;
  for (const QCheckBox *box : boxes_)
    count += box->isChecked() ? 1 : 0;
  return count;
}

QStringList TGridSelForm::Headings() const {
  QStringList headings;
  for (std::size_t i = 0; i < kGridColumns.size(); ++i) {
    if (boxes_[i]->isChecked())
      headings << QLatin1String(kGridColumns[i].heading);
  }
  return headings;
}

void TGridSelForm::showEvent(QShowEvent *event) {
  ReadBoxes();
  QDialog::showEvent(event);
}

void TGridSelForm::OKButtonClick() {
  if (CheckedCount() == 0) {
    MessageDlg(QStringLiteral("At least one field must be checked"), DialogKind::Warning, DialogButtons::Ok);
    return;
  }
  WriteBoxes();
  accept();
}

void TGridSelForm::ReadBoxes() {
  for (std::size_t i = 0; i < kGridColumns.size(); ++i)
    boxes_[i]->setChecked(settings_.ReadBool(kCacheExplorerProperties, QLatin1String(kGridColumns[i].box),
                                             kGridColumns[i].byDefault));
}

void TGridSelForm::WriteBoxes() {
  try {
    for (std::size_t i = 0; i < kGridColumns.size(); ++i)
      settings_.WriteBool(kCacheExplorerProperties, QLatin1String(kGridColumns[i].box),
                          boxes_[i]->isChecked());
  } catch (const RegistryError &) {
    // The choice stays for this run; the settings file cannot be written.
  }
}

} // namespace ql
