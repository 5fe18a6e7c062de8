#include "proxy/engine/pages/pseudo_host.h"

#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/http/request_line.h"
#include "proxy/engine/net/client_pipe.h"
#include "proxy/engine/net/online_mode.h"
#include "proxy/engine/pages/bookmarks_page.h"
#include "proxy/engine/pages/image_files.h"
#include "proxy/engine/pages/page_html.h"

namespace ql {

namespace {

constexpr char kForbidden[] =
    "HTTP/1.0 403 Forbidden\r\nAllow: GET POST\r\nMIME-version: 1.0\r\nContent-type: "
    "text/html\r\n\r\n<H1>403 Forbidden</H1>Quenlark takes this request only from its own "
    "pages or from an address typed by the user.";

// True when a Referer or Origin value leaves the request to the user: none, or one on the
// pseudo-host itself.
bool SameSite(const QByteArray &field) {
  const QByteArray value = field.trimmed().toLower();
  if (value.isEmpty())
    return true;
  if (!value.startsWith("http://"))
    return false;
  qsizetype end = 7;
  while (end < value.size() && !QByteArray("/:?#").contains(value[end]))
    ++end;
  return value.mid(7, end - 7) == kPseudoHost;
}

// Cuts prefix off path; with "?" and a target behind it, the redirect to that target.
bool Switch(QByteArray &path, const char *prefix, QByteArray &redirect) {
  if (!path.startsWith(prefix))
    return false;
  path.remove(0, qsizetype(qstrlen(prefix)));
  if (path.startsWith('?') && path.size() > 1)
    redirect = RedirectAnswer("http://" + path.mid(1));
  return true;
}

} // namespace

TPseudoHost::TPseudoHost(TProxyCache &cache, TRegIniFile &settings, const QString &imagesDirectory)
    : cache_(cache), settings_(settings), imagesDirectory_(imagesDirectory), cachePage_(cache, settings) {}

void TPseudoHost::SetTree(TBookmarkTree *tree) {
  tree_ = tree != nullptr ? tree : &noTree_;
}

void TPseudoHost::SetWindows(TPageWindows *windows) {
  windows_ = windows != nullptr ? windows : &noWindows_;
}

bool TPseudoHost::HandlePseudoHostRequest(TClientPipe &pipe) {
  const TRequestHeader &header = pipe.Request().Header();
  QByteArray text = QByteArray::fromStdString(header.requestLine);
  QByteArray host;
  UrlExtractHost(text, host);
  UrlExtractPort(text);
  const auto value = [](const std::string &line) {
    const qsizetype blank = QByteArray::fromStdString(line).indexOf(' ');
    return blank < 0 ? QByteArray() : QByteArray::fromStdString(line).mid(blank + 1);
  };
  const bool fromElsewhere = !SameSite(value(header.refererLine)) || !SameSite(value(header.originLine));
  const QByteArray answer = Answer(UrlExtractPath(text), fromElsewhere);
  pipe.CloseAfterSend = true;
  pipe.SendBytes(answer.constData(), static_cast<std::size_t>(answer.size()));
  return false;
}

QByteArray TPseudoHost::Answer(const QByteArray &requestPath, bool fromElsewhere) {
  QByteArray path = requestPath;
  QByteArray redirect;
  if (fromElsewhere && (path.startsWith("/offline") || path.startsWith("/online") ||
                        path.startsWith("/gbookmarks") || path.startsWith("/gcache")))
    return kForbidden;
  if (Switch(path, "/offline", redirect)) {
    SetOffLineMode(true);
    if (!redirect.isEmpty())
      return redirect;
  }
  if (Switch(path, "/online", redirect)) {
    SetOffLineMode(false);
    if (!redirect.isEmpty())
      return redirect;
  }
  const QByteArray self = PseudoHostUrl();
  if (path.startsWith("/bookmarks"))
    return BookmarksAnswer(path.mid(10), fromElsewhere);
  if (path.startsWith("/cache"))
    return cachePage_.Answer(path.mid(6));
  if (path.startsWith("/gbookmarks")) {
    windows_->ShowAutoForm();
    return RedirectAnswer(self + "/bookmarks");
  }
  if (path.startsWith("/gcache")) {
    windows_->ShowCacheForm();
    return RedirectAnswer(self + "/cache");
  }
  if (path.startsWith("/images/"))
    return ImageAnswer(imagesDirectory_, path.mid(8));
  return RedirectAnswer(self + "/bookmarks");
}

QByteArray TPseudoHost::BookmarksAnswer(const QByteArray &rest, bool fromElsewhere) {
  const qsizetype mark = rest.indexOf('?');
  if (mark < 0) {
    TCacheStore &store = cache_.Store();
    return BookmarksPage(*tree_, ReadCachePageOptions(settings_), store.LastPageTitle, store.LastPageUrl,
                         Now());
  }
  if (fromElsewhere)
    return kForbidden;
  if (AddBookmarkFromQuery(*tree_, '&' + rest.mid(mark + 1))) {
    cache_.Store().LastPageTitle.clear();
    cache_.Store().LastPageUrl.clear();
  }
  return RedirectAnswer(PseudoHostUrl() + "/bookmarks");
}

QByteArray TPseudoHost::PageHeaderBar(const QByteArray &url) {
  return ql::PageHeaderBar(url);
}

std::vector<TFolderItem> TPseudoHost::BookmarkFolders() {
  return ql::BookmarkFolders(*tree_);
}

} // namespace ql
