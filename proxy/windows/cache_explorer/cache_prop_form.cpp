#include "proxy/windows/cache_explorer/cache_prop_form.h"

#include "proxy/engine/cache/copy_cache_file.h"
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/search/filter_dates.h"
#include "proxy/platform/file_dialogs.h"
#include "proxy/platform/message_dialogs.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/windows/cache_explorer/grid_columns.h"
#include "proxy/windows/cache_explorer/save_as_name.h"
#include "proxy/windows/common/help_window.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ql {

namespace {

constexpr int kHelpContext = 26;
const QString kInitialDir = QStringLiteral("SaveAsInitialDir");

} // namespace

TCachePropForm::TCachePropForm(TRegIniFile &settings, TProxyCache &cache, QWidget *parent)
    : QDialog(parent), settings_(settings), cache_(cache) {
  setWindowTitle(QStringLiteral("Cache Item Properties"));
  auto *layout = new QVBoxLayout(this);
  auto *form = new QFormLayout;
  layout->addLayout(form);
  for (const char *name : {"Title", "URL", "Filename", "Mime Type", "Last Accessed", "Retrieved on", "Hits",
                           "Last Modified", "Length", "Post data"}) {
    QLineEdit *field = AddField(QLatin1String(name));
    form->addRow(QLatin1String(name), field);
  }
  auto *buttons = new QDialogButtonBox(this);
  QPushButton *close = buttons->addButton(QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
  QPushButton *saveAs = buttons->addButton(QStringLiteral("Save &As"), QDialogButtonBox::ActionRole);
  QPushButton *help = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  connect(saveAs, &QPushButton::clicked, this, &TCachePropForm::SaveAsButtonClick);
  connect(help, &QPushButton::clicked, this, [] { ShowHelpContext(kHelpContext); });
  AddHelpKey(this, help);
  layout->addWidget(buttons);
  resize(480, sizeHint().height());
  initialDir_ = settings_.ReadString(kCacheExplorerProperties, kInitialDir, QString());
}

TCachePropForm::~TCachePropForm() {
  try {
    settings_.WriteString(kCacheExplorerProperties, kInitialDir, initialDir_);
  } catch (const RegistryError &) {
    // The directory is kept for this run only.
  }
}

QLineEdit *TCachePropForm::AddField(const QString &name) {
  auto *field = new QLineEdit(this);
  field->setReadOnly(true);
  field->setObjectName(name);
  fields_.push_back(field);
  return field;
}

QString TCachePropForm::Field(const QString &name) const {
  for (const QLineEdit *field : fields_) {
    if (field->objectName() == name)
      return field->text();
  }
  return QString();
}

void TCachePropForm::ShowCacheItemProperties(const TCacheItem &item) {
  id_ = item.ID;
  const auto set = [this](const char *name, const QString &text) {
    for (QLineEdit *field : fields_) {
      if (field->objectName() == QLatin1String(name))
        field->setText(text);
    }
  };
  set("Title", QString::fromUtf8(item.Title));
  set("URL", QString::fromUtf8(item.URL));
  set("Filename", BodyFileName(item.ID));
  set("Mime Type", QString::fromLatin1(cache_.Mimes().MimeTypeName(item.MimeIndex)));
  set("Last Accessed", DateToStr(item.LastAccessed));
  set("Retrieved on", DateToStr(item.Retrieved));
  set("Hits", QString::number(item.Hits));
  set("Last Modified", item.LastModified > 1 ? DateToStr(item.LastModified) : QString());
  set("Length", QString::number(item.Length) + QStringLiteral(" bytes"));
  set("Post data", QString::fromUtf8(item.PostData));
}

bool TCachePropForm::SaveAs(int32_t id) {
  const TCacheItem *item = cache_.Index().FindCacheItemById(id);
  if (item == nullptr)
    return false;
  FileDialogRequest request;
  request.kind = FileDialogKind::Save;
  request.title = QStringLiteral("Save Cached File As");
  request.filter = QLatin1String(kSaveAsFilter);
  request.directory = initialDir_;
  request.mustExist = true;
  if (!item->URL.isEmpty())
    request.fileName = ProposedSaveName(item->URL);
  request.filterIndex = SaveFilterIndex(request.fileName);
  const FileDialogAnswer answer = RunFileDialog(request);
  if (!answer.accepted)
    return false;
  initialDir_ = QFileInfo(answer.path).absolutePath();

  const QString target = WithFilterExtension(answer.path, answer.filterIndex);
  if (QFileInfo::exists(target) &&
      !IsAffirmative(MessageDlg(QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(target),
                                DialogKind::Confirmation, DialogButtons::YesNo)))
    return false;
  // The entry may have left the cache while the dialogs were open.
  if (cache_.Index().FindCacheItemById(id) == nullptr ||
      !CopyCacheFile(cache_.Store().BodyPath(id), target)) {
    MessageDlg(QStringLiteral("Unable to save the cached file as %1.").arg(target), DialogKind::Error,
               DialogButtons::Ok);
    return false;
  }
  return true;
}

} // namespace ql
