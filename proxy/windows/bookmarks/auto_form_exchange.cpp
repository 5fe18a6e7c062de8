#include "proxy/engine/bookmarks/clipboard_record.h"
#include "proxy/engine/bookmarks/url_in_text.h"
#include "proxy/engine/browser/browser_config.h"
#include "proxy/engine/browser/browser_conversation.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/platform/message_dialogs.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/windows/bookmarks/auto_form.h"
#include "proxy/windows/bookmarks/ext_outline.h"
#include "proxy/windows/cache_explorer/progress_panel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTimer>

#include <exception>
#include <utility>

namespace ql {

namespace {

const QString kGeneral = QStringLiteral("General");
const QString kShowBookmarks = QStringLiteral("ShowBookmarks");

} // namespace

void TAutoForm::OpenURL(const QByteArray &url, const QByteArray &postData) {
  if (dde_ == nullptr)
    return;
  if (EngineSettings.ActivateBrowserWindow)
    dde_->ActivateBrowser();
  if (url.isEmpty())
    return;
  if (GetBrowserWindowInfo(*dde_)) {
    dde_->OpenUrlInBrowser(url, postData, EngineSettings.DDEMSIE3);
    ForgetUrl();
    return;
  }
  // No browser answers over DDE, as none on Linux does: the browser command takes the URL.
  if (dde_->OpenUrlByCommand(url, postData)) {
    ForgetUrl();
    return;
  }
  // No browser command either: the browser is started without a start page, and the URL waits
  // for a browser that answers.
  PlainBrowserStart = true;
  if (startBrowser_)
    startBrowser_();
  PlainBrowserStart = false;
  rememberedUrl_ = url;
  rememberedPost_ = postData;
  urlRemembered_ = true;
  urlTimer_->start();
}

void TAutoForm::ForgetUrl() {
  urlTimer_->stop();
  rememberedUrl_.clear();
  rememberedPost_.clear();
  urlRemembered_ = false;
}

void TAutoForm::URLTimerTimer() {
  try {
    settings_.WriteBool(kGeneral, kShowBookmarks, EngineSettings.ShowBookmarks);
  } catch (const RegistryError &) {
  }
  if (dde_ == nullptr || !GetBrowserWindowInfo(*dde_))
    return;
  urlTimer_->stop();
  if (urlRemembered_) {
    const bool showBookmarks = EngineSettings.ShowBookmarks;
    const auto setShowBookmarks = [this](bool on) {
      EngineSettings.ShowBookmarks = on;
      try {
        settings_.WriteBool(kGeneral, kShowBookmarks, on);
      } catch (const RegistryError &) {
      }
    };
    setShowBookmarks(false);
    const QByteArray url = std::exchange(rememberedUrl_, {});
    const QByteArray post = std::exchange(rememberedPost_, {});
    urlRemembered_ = false;
    OpenURL(url, post);
    setShowBookmarks(showBookmarks);
  }
}

bool TAutoForm::URLTimerRunning() const {
  return urlTimer_->isActive();
}

void TAutoForm::OpenInBrowserClick() {
  TBookmarkNode *node = SelectedBookmark();
  if (node == nullptr)
    return;
  node->Info().HasAutoEntries = 0;
  Changed(node);
  OpenURL(node->Info().URL, {});
}

void TAutoForm::ListCachedItemsClick() {
  const TBookmarkNode *node = SelectedBookmark();
  if (node == nullptr || node->Info().URL.isEmpty() || cacheExplorer_ == nullptr)
    return;
  progressPanel_->ShowCaption(QStringLiteral("Searching. Please wait..."));
  cacheExplorer_->ListCachedItems(node->Info().URL);
  progressPanel_->hide();
}

void TAutoForm::ShowAutoItemsClick(bool old) {
  const TBookmarkNode *node = SelectedBookmark();
  if (node == nullptr || cacheExplorer_ == nullptr)
    return;
  progressPanel_->ShowCaption(QStringLiteral("Searching. Please wait..."));
  cacheExplorer_->ShowAutoItems(node->Info().SerialId, node->Info().Generation, old);
  progressPanel_->hide();
}

void TAutoForm::Copy1Click() {
  const TBookmarkNode *node = SelectedBookmark();
  if (node == nullptr)
    return;
  QGuiApplication::clipboard()->setText(QString::fromUtf8(ClipboardBookmarkText(node->Info())));
}

void TAutoForm::Cut1Click() {
  if (SelectedBookmark() == nullptr)
    return;
  Copy1Click();
  DeleteFromOutline(true);
}

void TAutoForm::PasteFromClipboard() {
  // The whole text: a copied bookmark with long comments and words runs past any fixed size.
  const QString text = QGuiApplication::clipboard()->text();
  if (text.isEmpty() || tree_.IsEmpty())
    return;
  std::unique_ptr<TBMInfo> info;
  switch (DecodeClipboardBookmark(text.toUtf8(), info)) {
  case TClipboardDecode::Incomplete:
    MessageDlg(QStringLiteral("Incomplete bookmark in clipboard data."), DialogKind::Information,
               DialogButtons::Ok);
    return;
  case TClipboardDecode::Decoded: {
    // The marks of the folder it goes in.
    const TBookmarkNode *selected = Selected();
    const TBookmarkNode *folder = nullptr;
    if (selected != nullptr && selected->IsFolder())
      folder = selected;
    else if (selected != nullptr && selected->Parent() != nullptr && selected->Parent()->IsFolder())
      folder = selected->Parent();
    if (folder != nullptr) {
      info->Scheduled = folder->Info().Scheduled;
      info->GetNextTime = folder->Info().GetNextTime;
    }
    if (info->Scheduled)
      info->CalcNextRefresh();
    AddNewDocument(std::move(info));
    return;
  }
  case TClipboardDecode::NoMarker:
    break;
  }
  TUrlInText found;
  if (ExtractUrlFromText(text, FindUrlPoint(text), found))
    AddNewdocumentDialog(found.title.toUtf8(), false, found.url.toUtf8());
}

void TAutoForm::PasteFromDDE() {
  if (tree_.IsEmpty() || dde_ == nullptr)
    return;
  try {
    QByteArray url, title;
    if (dde_->GetWindowInfo(url, title))
      AddNewdocumentDialog(title, false, url);
  } catch (const std::exception &) {
    // A browser that answers nonsense adds nothing.
  }
}

} // namespace ql
