#include "library/exchange/merge/import_vornix.h"

#include "library/core/globals.h"
#include "library/core/window_position.h"
#include "library/exchange/merge/merge_process.h"
#include "library/runtime/language/string_functions.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/file_dialog.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/window.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QStyle>

namespace vx {

namespace {

const QString kIni = QStringLiteral("VORNIX.INI");
const QString kSection = QStringLiteral("ImportVORNIX");
const QString kSiteFile = QStringLiteral("URL_L.KYF");

enum : int {
  kLine1 = 1,
  kLine2,
  kBrowse = kImportBrowse,
  kPrompt,
  kName = kImportName,
  kOk = kImportOk,
  kCancel = kImportCancel
};

void AddControls(Window &window, QString &name) {
  window.Add<LabelControl>(kLine1,
                           QStringLiteral("This option will import *only* location information from another"),
                           QRect(8, 6, 260, 10), false);
  window.Add<LabelControl>(kLine2, QStringLiteral("Vornix database."), QRect(8, 16, 260, 10), false);
  auto &browse = window.Add<ButtonControl>(kBrowse, QStringLiteral("&Browse"), QRect(8, 30, 50, 14));
  static_cast<QPushButton *>(browse.Widget())
      ->setIcon(QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon));
  window.Add<LabelControl>(kPrompt, QStringLiteral("Import from:"), QRect(8, 52, 52, 10));
  window.Add<EntryControl>(kName, QRect(62, 50, 206, 12), 255).Use(name);
  window.Add<ButtonControl>(kOk, QStringLiteral("&OK"), QRect(162, 68, 50, 14));
  window.Add<ButtonControl>(kCancel, QStringLiteral("Cancel"), QRect(218, 68, 50, 14));
}

} // namespace

void ImportURLProcess(const ProgressRunner &run) {
  ProcedureScope scope;
  const QString path = CLIP(ExchangeFileName);
  scope.response =
      run([path](BatchProgress &progress) { return std::make_unique<MergeProcess>(path, progress); });
}

void ImportVORNIX(const ProgressRunner &run) {
  const QString home = QDir::currentPath();
  ExchangeFileName = kSiteFile;
  ProcedureScope scope;
  QString name = ExchangeFileName;
  Window window(
      WindowSpec(QStringLiteral("Import from Vornix Database"), WindowKind::MdiChild, QRect(0, 0, 276, 88)));
  AddControls(window, name);
  window.Open();
  RestoreWindowPosition(window, kSection, kIni);
  window.SetDefaultButton(kOk);
  window.SetCancelButton(kCancel);
  window.Display();
  while (window.Accept()) {
    const Event event = window.CurrentEvent();
    if (event.kind == EventKind::OpenWindow)
      window.Select(kName);
    if (event.kind != EventKind::Accepted)
      continue;
    switch (event.control) {
    case kBrowse: {
      QString chosen = name.trimmed();
      if (FILEDIALOG(QStringLiteral("Choose a File"), chosen, QStringLiteral("Vornix Database|URL_L.KYF"))) {
        name = chosen;
        window.Display(kName);
      }
      QDir::setCurrent(home);
      break;
    }
    case kOk:
      window.Find(kName)->Update();
      if (UPPER(name).contains(kSiteFile)) {
        ExchangeFileName = name.trimmed();
        ImportURLProcess(run);
        window.Display();
      } else {
        MESSAGE(QStringLiteral("You can only import from databases created by Vornix version 1.5 and above."),
                QStringLiteral("Cannot Import"), MessageIcon::None, BUTTON_OK);
        window.Select(kName);
      }
      break;
    case kCancel:
      window.Post(EventKind::CloseWindow);
      break;
    default:
      break;
    }
  }
  SaveWindowPosition(window, kSection, kIni);
  window.Close();
  scope.response = 2;
}

} // namespace vx
