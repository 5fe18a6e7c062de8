#include "proxy/engine/pages/pseudo_host.h"

#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/http/request_line.h"
#include "proxy/engine/net/client_pipe.h"
#include "proxy/engine/net/online_mode.h"
#include "proxy/engine/net/own_addresses.h"
#include "proxy/engine/pages/bookmarks_page.h"
#include "proxy/engine/pages/confirm_page.h"
#include "proxy/engine/pages/image_files.h"
#include "proxy/engine/pages/page_html.h"
#include "proxy/engine/pages/page_token.h"

namespace ql {

namespace {

// True when a Referer or Origin value names the pseudo-host itself.
bool NamesPseudoHost(const QByteArray &field) {
  const QByteArray value = field.trimmed().toLower();
  if (!value.startsWith("http://"))
    return false;
  qsizetype end = 7;
  while (end < value.size() && !QByteArray("/:?#").contains(value[end]))
    ++end;
  return value.mid(7, end - 7) == kPseudoHost;
}

// The text of a request field's line after its first blank.
QByteArray FieldValue(const std::string &line) {
  const QByteArray text = QByteArray::fromStdString(line);
  const qsizetype blank = text.indexOf(' ');
  return blank < 0 ? QByteArray() : text.mid(blank + 1);
}

// True when the rest of a switch's path names a target: "?" and an address without "http://".
bool HasSwitchTarget(const QByteArray &rest) {
  return rest.startsWith('?') && rest.size() > 1;
}

// Where a switch goes once carried out: its target, to which it redirects, or else the
// pseudo-host's address of the rest of its path, with which the routing goes on.
QByteArray SwitchDestination(const QByteArray &rest) {
  return HasSwitchTarget(rest) ? "http://" + rest.mid(1) : PseudoHostUrl() + rest;
}

// The confirmation of a switch: its question and the address it goes to.
TConfirmation SwitchConfirmation(const QByteArray &command, const QByteArray &rest) {
  const bool online = command == "/online";
  return {online ? "Switch to 'online' mode?" : "Switch to 'offline' mode?",
          online ? "Switch to 'online' mode" : "Switch to 'offline' mode", SwitchDestination(rest),
          command + ';' + PageToken(SwitchAction(command, rest)) + rest};
}

TConfirmation WindowConfirmation(const QByteArray &command) {
  if (command == "/gcache")
    return {"Show the Cache Explorer?", "Show the Cache Explorer", {}, TokenPath(command)};
  return {"Show the Bookmarks window?", "Show the Bookmarks window", {}, TokenPath(command)};
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
  // From one of the pages: every field of the two that the request has names the pseudo-host,
  // and it has at least one.
  const QByteArray referer = FieldValue(header.refererLine);
  const QByteArray origin = FieldValue(header.originLine);
  const bool fromOwnPage = (!referer.isEmpty() || !origin.isEmpty()) &&
                           (referer.isEmpty() || NamesPseudoHost(referer)) &&
                           (origin.isEmpty() || NamesPseudoHost(origin));
  const QByteArray answer = Answer(UrlExtractPath(text), fromOwnPage);
  pipe.CloseAfterSend = true;
  pipe.SendBytes(answer.constData(), static_cast<std::size_t>(answer.size()));
  return false;
}

QByteArray TPseudoHost::Answer(const QByteArray &path, bool fromOwnPage) {
  // No link of the pages hands their address, and the tokens in it, to another site.
  QByteArray answer = Route(path, fromOwnPage);
  const qsizetype end = answer.indexOf("\r\n\r\n");
  if (end >= 0)
    answer.insert(end, "\r\nReferrer-Policy: same-origin");
  return answer;
}

QByteArray TPseudoHost::Route(const QByteArray &requestPath, bool fromOwnPage) {
  QByteArray path = requestPath;
  for (const QByteArray &command : {QByteArray("/offline"), QByteArray("/online")}) {
    if (!path.startsWith(command))
      continue;
    QByteArray rest = path.mid(command.size());
    const QByteArray token = TakePageToken(rest);
    if (!fromOwnPage && !IsPageToken(token, SwitchAction(command, rest)))
      return ConfirmPage(SwitchConfirmation(command, rest));
    SetOffLineMode(command == "/offline");
    if (HasSwitchTarget(rest))
      return RedirectAnswer(SwitchDestination(rest));
    path = rest;
  }
  const QByteArray self = PseudoHostUrl();
  if (path.startsWith("/bookmarks"))
    return BookmarksAnswer(path.mid(10), fromOwnPage);
  if (path.startsWith("/cache")) {
    QByteArray rest = path.mid(6);
    const QByteArray token = TakePageToken(rest);
    return cachePage_.Answer(rest, fromOwnPage || IsPageToken(token, "/cache"));
  }
  for (const QByteArray &command : {QByteArray("/gbookmarks"), QByteArray("/gcache")}) {
    if (!path.startsWith(command))
      continue;
    QByteArray rest = path.mid(command.size());
    if (!fromOwnPage && !IsPageToken(TakePageToken(rest), command))
      return ConfirmPage(WindowConfirmation(command));
    if (command == "/gcache") {
      windows_->ShowCacheForm();
      return RedirectAnswer(self + "/cache");
    }
    windows_->ShowAutoForm();
    return RedirectAnswer(self + "/bookmarks");
  }
  if (path.startsWith("/images/"))
    return ImageAnswer(imagesDirectory_, path.mid(8));
  return RedirectAnswer(self + "/bookmarks");
}

QByteArray TPseudoHost::BookmarksAnswer(const QByteArray &path, bool fromOwnPage) {
  QByteArray rest = path;
  const QByteArray token = TakePageToken(rest);
  const qsizetype mark = rest.indexOf('?');
  if (mark < 0) {
    TCacheStore &store = cache_.Store();
    return BookmarksPage(*tree_, ReadCachePageOptions(settings_), store.LastPageTitle, store.LastPageUrl,
                         Now());
  }
  const QByteArray query = '&' + rest.mid(mark + 1);
  if (!fromOwnPage && !IsPageToken(token, "/bookmarks"))
    return BookmarkFolderPage(*tree_, query);
  if (AddBookmarkFromQuery(*tree_, query)) {
    cache_.Store().LastPageTitle.clear();
    cache_.Store().LastPageUrl.clear();
  }
  return RedirectAnswer(PseudoHostUrl() + "/bookmarks");
}

QByteArray TPseudoHost::PageHeaderBar(const QByteArray &url) {
  return ql::PageHeaderBar(url);
}

} // namespace ql
