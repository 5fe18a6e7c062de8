#include "proxy/windows/setup/dir_sel_form.h"

#include "proxy/platform/message_dialogs.h"
#include "proxy/windows/common/help_window.h"
#include "proxy/windows/setup/folder_model.h"
#include "proxy/windows/setup/setup_form.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace ql {

namespace {

constexpr int kHelpContext = 25;

// The nearest folder at or above path that exists; the home folder when none does.
QString ExistingStart(const QString &path) {
  QString candidate = QDir::cleanPath(path);
  while (!candidate.isEmpty() && !QFileInfo(candidate).isDir()) {
    const QString parent = QFileInfo(candidate).path();
    if (parent == candidate)
      break;
    candidate = parent;
  }
  return QFileInfo(candidate).isDir() ? QFileInfo(candidate).absoluteFilePath() : QDir::homePath();
}

} // namespace

TDirSelForm::TDirSelForm(const QString &directory, QWidget *parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Select Directory"));
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Directory:"), this));
  box_ = new QLineEdit(directory, this);
  layout->addWidget(box_);
  model_ = new TFolderModel(this);
  tree_ = new QTreeView(this);
  tree_->setModel(model_);
  tree_->header()->hide();
  const QModelIndex start = model_->IndexOf(ExistingStart(directory));
  tree_->setCurrentIndex(start);
  tree_->scrollTo(start);
  tree_->expand(start);
  layout->addWidget(tree_, 1);
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex &current) {
            if (current.isValid())
              box_->setText(model_->PathOf(current));
          });

  auto *buttons = new QDialogButtonBox(this);
  QPushButton *ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
  QPushButton *cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  QPushButton *help = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &TDirSelForm::OKButtonClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, [] { ShowHelpContext(kHelpContext); });
  AddHelpKey(this, help);
  layout->addWidget(buttons);
  resize(360, 420);
}

void TDirSelForm::OKButtonClick() {
  QString directory = box_->text().trimmed();
  if (directory.isEmpty())
    return;
  if (!directory.endsWith(QLatin1Char('/')))
    directory += QLatin1Char('/');
  if (!QFileInfo(directory).isDir()) {
    const DialogButton answer =
        MessageDlg(directory + QStringLiteral(" does not ") + QStringLiteral(" exist. Create?"),
                   DialogKind::Confirmation, DialogButtons::YesNo);
    if (answer != DialogButton::Yes) {
      reject();
      return;
    }
    if (!QDir().mkpath(directory)) {
      MessageDlg(QStringLiteral("The directory %1 cannot be created.").arg(directory), DialogKind::Error,
                 DialogButtons::Ok);
      return;
    }
  }
  chosen_ = directory;
  accept();
}

bool TSetupForm::ChooseDirectory(QString &directory, int maxLength) {
  TDirSelForm dialog(directory);
  if (dialog.exec() != QDialog::Accepted)
    return false;
  directory = dialog.Directory().left(maxLength);
  return true;
}

} // namespace ql
