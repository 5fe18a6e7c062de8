#include "proxy/engine/autobrowse/outbasket_mark.h"
#include "proxy/engine/bookmarks/bookmark_import.h"
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/platform/file_dialogs.h"
#include "proxy/platform/message_dialogs.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/windows/bookmarks/auto_form.h"
#include "proxy/windows/bookmarks/ext_outline.h"
#include "proxy/windows/bookmarks/node_prop_form.h"
#include "proxy/windows/bookmarks/outline_model.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace ql {

namespace {

// Entries of the cache examined between two runs of the window messages.
constexpr int kMessagesEvery = 10;
// The next date of a new record that the Properties dialog has not worked out yet.
constexpr TDateTime kNotWorkedOut = 99999999.0;

// The bookmark file stores no deeper tree than kMaxBookmarkLevel levels.
void TooDeep(const char *what) {
  MessageDlg(QStringLiteral("%1: the bookmark tree cannot be deeper than %2 levels.")
                 .arg(QLatin1String(what))
                 .arg(kMaxBookmarkLevel),
             DialogKind::Warning, DialogButtons::Ok);
}

} // namespace

void TAutoForm::Changed(TBookmarkNode *node) {
  tree_.NodeChanged(node);
  UpdateMenus();
}

TBookmarkNode *TAutoForm::AddNewRootFolder(std::unique_ptr<TBMInfo> info) {
  TBookmarkNode *node = tree_.Append(nullptr, std::move(info));
  outline_->Select(node);
  return node;
}

TBookmarkNode *TAutoForm::AddNewFolder(std::unique_ptr<TBMInfo> info) {
  info->Folder = 1;
  return AddNewDocument(std::move(info));
}

TBookmarkNode *TAutoForm::AddNewDocument(std::unique_ptr<TBMInfo> info) {
  TBookmarkNode *node = tree_.AddNear(Selected(), std::move(info));
  if (node == nullptr) {
    TooDeep("Nothing was added");
    return nullptr;
  }
  outline_->Select(node);
  return node;
}

bool TAutoForm::RunProperties(TBookmarkNode *node, bool adding) {
  if (properties_ == nullptr)
    return false;
  properties_->SetBookmark(node, adding);
  return properties_->exec() == QDialog::Accepted;
}

bool TAutoForm::AddNewdocumentDialog(const QByteArray &title, bool folder, const QByteArray &url) {
  TBookmarkNode *before = Selected();
  auto info = std::make_unique<TBMInfo>();
  // The schedule of the folder the new node goes in.
  const TBookmarkNode *source = before;
  if (source != nullptr && !source->IsFolder() && !source->HasChildren())
    source = source->Parent();
  if (source != nullptr)
    info->Copy(source->Info());
  info->NextRefresh = kNotWorkedOut;
  info->Title = !title.isNull() ? title : folder ? QByteArray("New folder") : QByteArray("New Document");
  if (!url.isNull())
    info->URL = url;
  // Autobrowse leaves the new node alone while its dialog is open: Cancel takes it away again,
  // which must never happen to a bookmark being fetched.
  info->Hold = 1;
  TBookmarkNode *node = folder ? AddNewFolder(std::move(info)) : AddNewDocument(std::move(info));
  if (node == nullptr)
    return false;
  if (!RunProperties(node, true)) {
    tree_.Remove(node);
    outline_->Select(before);
    return false;
  }
  node->Info().Hold = 0;
  Changed(node);
  SaveExtOutline();
  return true;
}

void TAutoForm::NewDocClick() {
  if (tree_.IsEmpty()) {
    MessageDlg(QStringLiteral("You must create a folder first"), DialogKind::Information, DialogButtons::Ok);
    return;
  }
  AddNewdocumentDialog({}, false, {});
}

void TAutoForm::NewFolderClick() {
  if (tree_.IsEmpty())
    NewRootFolderClick();
  else
    AddNewdocumentDialog({}, true, {});
}

void TAutoForm::NewRootFolderClick() {
  TBookmarkNode *before = Selected();
  auto info = std::make_unique<TBMInfo>();
  info->Folder = 1;
  info->Title = "New folder";
  TBookmarkNode *node = AddNewRootFolder(std::move(info));
  if (!RunProperties(node, true)) {
    tree_.Remove(node);
    outline_->Select(before);
    return;
  }
  Changed(node);
  outline_->Select(node);
  SaveExtOutline();
}

void TAutoForm::PropertiesClick() {
  TBookmarkNode *node = Selected();
  if (node == nullptr || !RunProperties(node, false))
    return;
  Changed(node);
  SaveExtOutline();
}

void TAutoForm::DeleteFromOutline(bool fromCut) {
  TBookmarkNode *node = Selected();
  if (tree_.IsEmpty() || node == nullptr)
    return;
  if (TBookmarkOutline::SubtreeLocked(node)) {
    MessageDlg(QStringLiteral("Bookmark is currently locked."), DialogKind::Information, DialogButtons::Ok);
    return;
  }
  if (!fromCut && !IsAffirmative(MessageDlg(QStringLiteral("Delete selected item?"), DialogKind::Confirmation,
                                            DialogButtons::OkCancel)))
    return;
  outline_->clearSelection();
  const std::vector<std::unique_ptr<TBMInfo>> records = tree_.Remove(node);
  for (const auto &record : records) {
    if (!record->Folder)
      DeleteAutoEntries(record->SerialId);
  }
  SaveExtOutline();
  OutbasketStale = true;
}

void TAutoForm::DeleteAutoEntries(int32_t serialId) {
  if (cache_ == nullptr)
    return;
  TCacheIndex &index = cache_->Index();
  int examined = 0;
  for (const int32_t id : index.Ids()) {
    if (++examined % kMessagesEvery == 0)
      QCoreApplication::processEvents();
    const TCacheItem *item = index.FindCacheItemById(id);
    if (item == nullptr || item->EntryType != Auto || item->BMSerial != serialId)
      continue;
    QFile::remove(cache_->Store().BodyPath(id));
    // Leaving the index takes the entry out of the Cache Explorer's view and the cache page's
    // results too.
    index.Remove(id);
  }
}

void TAutoForm::GrabNextTimeClick() {
  TBookmarkNode *node = SelectedBookmark();
  if (node == nullptr || node->Info().Locked)
    return;
  node->Info().GetNextTime = node->Info().GetNextTime ? 0 : 1;
  Changed(node);
  OutbasketStale = true;
  SaveExtOutline();
}

void TAutoForm::MarkAsUnreadClick() {
  TBookmarkNode *node = SelectedBookmark();
  if (node == nullptr)
    return;
  node->Info().HasAutoEntries = node->Info().HasAutoEntries ? 0 : 1;
  Changed(node);
}

void TAutoForm::MoveNode(TBookmarkNode *node, TBookmarkNode *target) {
  TBookmarkNode *parent = nullptr;
  int row = 0;
  if (!tree_.DropPlace(node, target, &parent, &row))
    return;
  if (!TBookmarkOutline::Fits(node, parent)) {
    TooDeep("The item was not moved");
    return;
  }
  if (!tree_.Move(node, parent, row))
    return;
  outline_->Select(node);
  OutbasketStale = true;
  SaveExtOutline();
}

void TAutoForm::MoveToRootClick() {
  TBookmarkNode *node = Selected();
  if (node == nullptr || !node->IsFolder() || !tree_.Move(node, nullptr, tree_.ChildCount(nullptr)))
    return;
  outline_->Select(node);
  OutbasketStale = true;
  SaveExtOutline();
}

void TAutoForm::DropUrl(TBookmarkNode *target, const QString &title, const QString &url) {
  if (target != nullptr)
    outline_->Select(target);
  AddNewdocumentDialog(title.toUtf8(), false, url.toUtf8());
}

void TAutoForm::ImportClick() {
  FileDialogRequest request;
  request.kind = FileDialogKind::Open;
  request.title = QStringLiteral("Import Bookmark");
  // Browsers of today export "bookmarks.html".
  request.filter =
      QStringLiteral("Netscape bookmark|bookmark.htm;bookmarks.html|HTML document|*.htm;*.html|All files|*");
  request.fileName = QStringLiteral("bookmark.htm");
  const QString bookmarks =
      settings_.ReadString(QStringLiteral("General"), QStringLiteral("BrowserBookmarksPath"), QString());
  if (!bookmarks.isEmpty())
    request.directory =
        QFileInfo(QString(bookmarks).replace(QLatin1Char('\\'), QLatin1Char('/'))).absolutePath();
  request.mustExist = true;
  const FileDialogAnswer answer = RunFileDialog(request);
  if (answer.accepted)
    ImportFile(answer.path);
}

void TAutoForm::ImportFile(const QString &path) {
  bool tooDeep = false;
  TBookmarkNode *folder = ImportBookmarkFile(path, tree_, Selected(), &tooDeep);
  if (tooDeep)
    TooDeep("Nothing was imported");
  if (folder == nullptr)
    return;
  folder->Expanded = true;
  outline_->ShowExpandedNodes();
  outline_->Select(folder);
  // One change, but one that added its folder with all it holds: the file writes it at once.
  SaveExtOutline();
}

void TAutoForm::ExpandClick() {
  if (TBookmarkNode *node = Selected())
    outline_->Open(model_->IndexOf(node));
  outline_->ShowCurrent();
}

// Marks every node of a subtree that has children as expanded or not; the view's expandAll,
// collapseAll and expandRecursively tell no node of it.
static void MarkExpanded(TBookmarkNode &node, bool expanded) {
  TBookmarkOutline::ForEachBelow(
      node, [expanded](TBookmarkNode &each) { each.Expanded = expanded && each.HasChildren(); });
}

void TAutoForm::ExpandBranchClick() {
  if (TBookmarkNode *node = Selected()) {
    MarkExpanded(*node, true);
    outline_->OpenBranch(model_->IndexOf(node));
  }
  outline_->ShowCurrent();
}

void TAutoForm::ExpandAllClick() {
  if (tree_.IsEmpty())
    return;
  for (int row = 0; row < tree_.ChildCount(nullptr); ++row)
    MarkExpanded(*tree_.Child(nullptr, row), true);
  outline_->OpenBranch({});
  // The folders opened above the selected node move it down.
  outline_->ShowCurrent();
}

void TAutoForm::CollapseClick() {
  if (TBookmarkNode *node = Selected())
    outline_->collapse(model_->IndexOf(node));
  outline_->ShowCurrent();
}

void TAutoForm::CollapseAllClick() {
  if (tree_.IsEmpty())
    return;
  TBookmarkNode *top = Selected();
  while (top != nullptr && top->Parent() != nullptr)
    top = top->Parent();
  if (top != nullptr && top != Selected())
    outline_->Select(top);
  for (int row = 0; row < tree_.ChildCount(nullptr); ++row)
    MarkExpanded(*tree_.Child(nullptr, row), false);
  outline_->CloseAll();
  outline_->ShowCurrent();
}

} // namespace ql
