#include "proxy/windows/cache_explorer/cache_form.h"

#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/import/browser_cache_import.h"
#include "proxy/engine/search/filter_dates.h"
#include "proxy/engine/search/go_on_flag.h"
#include "proxy/platform/file_dialogs.h"
#include "proxy/platform/message_dialogs.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/windows/cache_explorer/cache_grid_model.h"
#include "proxy/windows/cache_explorer/cache_prop_form.h"
#include "proxy/windows/cache_explorer/progress_panel.h"

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMimeData>
#include <QTableView>

#include <algorithm>

namespace ql {

std::vector<int> TCacheForm::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex &index : grid_->selectionModel()->selectedRows())
    rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

TCacheItem *TCacheForm::FirstSelectedItem() const {
  const std::vector<int> rows = SelectedRows();
  return rows.empty() ? nullptr : model_->ItemAt(rows.front());
}

void TCacheForm::OpenInBrowserButtonClick() {
  OpenRow(grid_->currentIndex().row());
}

void TCacheForm::StringGrid1DblClick(int row) {
  OpenRow(row);
}

void TCacheForm::OpenRow(int row) {
  if (opener_ == nullptr || row < 0 || row >= model_->rowCount())
    return;
  const TCacheItem *item = model_->ItemAt(row);
  if (item == nullptr) {
    if (static_cast<std::size_t>(row) < view_.Count()) {
      model_->MarkGone(row);
      SpanNote(row);
    }
    return;
  }
  if (!item->URL.isEmpty())
    opener_->OpenURL(item->URL, item->PostData);
}

void TCacheForm::Delete2Click() {
  if (view_.Count() == 0)
    return;
  if (!IsAffirmative(MessageDlg(QStringLiteral("Delete selected cache items?"), DialogKind::Confirmation,
                                DialogButtons::OkCancel)))
    return;
  std::vector<int32_t> ids;
  for (const int row : SelectedRows()) {
    if (const TCacheItem *item = model_->ItemAt(row))
      ids.push_back(item->ID);
  }
  // Leaving the index takes the entry out of every list that follows it (this view, the
  // /cache page's results) and out of the cache total when it counts there.
  for (const int32_t id : ids) {
    QFile::remove(cache_.Store().BodyPath(id));
    cache_.Index().Remove(id);
  }
  grid_->clearSelection();
  ShowItems();
}

void TCacheForm::Properties1Click() {
  if (properties_ == nullptr)
    return;
  if (const TCacheItem *item = FirstSelectedItem()) {
    properties_->ShowCacheItemProperties(*item);
    properties_->exec();
  }
}

void TCacheForm::Saveas1Click() {
  if (properties_ == nullptr)
    return;
  if (const TCacheItem *item = FirstSelectedItem())
    properties_->SaveAs(item->ID);
}

void TCacheForm::Import1Click() {
  FileDialogRequest request;
  request.kind = FileDialogKind::Open;
  request.title = QStringLiteral("Import Cache");
  request.filter = QStringLiteral("Netscape Cache File|fat;fat.db");
  request.directory =
      settings_.ReadString(QStringLiteral("General"), QStringLiteral("BrowserCachePath"), QString());
  request.mustExist = true;
  const FileDialogAnswer answer = RunFileDialog(request);
  if (answer.accepted)
    ImportFrom(answer.path);
}

void TCacheForm::ImportFrom(const QString &path) {
  grid_->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  progressPanel_->SetPercent(0);
  progressPanel_->ShowCaption(QStringLiteral("Importing Netscape Cache..."));
  TPanelListProgress progress(*progressPanel_);
  const TImportReport report = ImportBrowserCache(cache_.Store(), cache_.Mimes(), path, &progress);
  view_.Drop();
  ShowItems();
  progressPanel_->hide();
  QApplication::restoreOverrideCursor();
  grid_->setEnabled(true);
  if (!report.Error.isEmpty())
    MessageDlg(QStringLiteral("Unable to read the cache index %1: %2").arg(path, report.Error),
               DialogKind::Error, DialogButtons::Ok);
  else if (report.Skipped > 0)
    MessageDlg(QStringLiteral("The cache index %1 is damaged: %2 of its records could not be read and were "
                              "skipped. %3 objects were imported.")
                   .arg(path)
                   .arg(report.Skipped)
                   .arg(report.Imported),
               DialogKind::Warning, DialogButtons::Ok);
}

void TCacheForm::NoteGoneRow(int row) {
  model_->RowEmptied(row);
  SpanNote(row);
  if (row == grid_->currentIndex().row())
    ShowRowStatus(row);
}

void TCacheForm::SpanNote(int row) {
  const int columns = model_->columnCount();
  if (columns > 1 && model_->ItemAt(row) == nullptr && !model_->CacheGridCellText(0, row + 1).isEmpty() &&
      grid_->columnSpan(row, 0) != columns)
    grid_->setSpan(row, 0, 1, columns);
}

void TCacheForm::SpanNotes() {
  grid_->clearSpans();
  const int rows = std::min(model_->rowCount(), static_cast<int>(view_.Count()));
  for (int row = 0; row < rows; ++row)
    SpanNote(row);
}

void TCacheForm::ShowRowStatus(int row) {
  // The blank row of an empty list tells of nothing.
  if (row < 0 || row >= model_->rowCount() || static_cast<std::size_t>(row) >= view_.Count()) {
    for (QLabel *panel : status_)
      panel->clear();
    return;
  }
  const TCacheItem *item = model_->ItemAt(row);
  if (item == nullptr) {
    status_[0]->clear();
    status_[1]->clear();
    status_[2]->setText(QStringLiteral(" This item is no longer in the cache"));
    return;
  }
  status_[0]->setText(QLatin1Char(' ') + QString::fromLatin1(cache_.Mimes().MimeTypeName(item->MimeIndex)));
  status_[1]->setText(QLatin1Char(' ') + QString::number(item->Length) + QStringLiteral(" bytes"));
  status_[2]->setText(QStringLiteral(" Retrieval Date: ") + DateToStr(item->Retrieved));
}

// A bookmark dropped on the grid lists its current Autobrowse entries.
bool TCacheForm::DropBookmark(QEvent *event) {
  auto *drop = static_cast<QDropEvent *>(event);
  if (!drop->mimeData()->hasFormat(QLatin1String(kBookmarkMimeType)))
    return false;
  drop->acceptProposedAction();
  if (event->type() == QEvent::Drop) {
    const QList<QByteArray> numbers = drop->mimeData()->data(QLatin1String(kBookmarkMimeType)).split(' ');
    if (numbers.size() == 2)
      ShowAutoItems(numbers[0].toInt(), numbers[1].toInt(), false);
  }
  return true;
}

} // namespace ql
