#include "proxy/engine/autobrowse/auto_queue.h"

#include "proxy/engine/autobrowse/auto_item.h"
#include "proxy/engine/autobrowse/bookmark_info.h"
#include "proxy/engine/autobrowse/fetch_target.h"
#include "proxy/engine/http/text_routines.h"

namespace ql {

namespace {

constexpr qsizetype kHostCompared = 100;

// The host (its first 100 characters) and the directory (the path up to its last "/",
// followed by "/") of a URL, for the directory movement rules.
struct TSite {
  QByteArray host;
  QByteArray directory;
};

TSite SiteOf(const QByteArray &url) {
  const TFetchTarget target = SplitFetchTarget(url);
  const qsizetype slash = target.Path.lastIndexOf('/');
  return {target.Host.left(kHostCompared), target.Path.left(slash < 0 ? 0 : slash) + '/'};
}

bool DirectoryAllowed(uint8_t movement, const QByteArray &bookmarkDir, const QByteArray &linkDir) {
  switch (movement) {
  case NoRestriction:
    return true;
  case BackwardsOnly:
    return bookmarkDir.startsWith(linkDir);
  case ForwardsOnly:
    return linkDir.startsWith(bookmarkDir);
  case CurrentDirOnly:
    return linkDir == bookmarkDir;
  default:
    return false;
  }
}

void AddLines(QList<QByteArray> &words, const QByteArray &text) {
  for (QByteArray line : text.split('\n')) {
    if (line.endsWith('\r'))
      line.chop(1);
    if (!line.isEmpty())
      words.append(line.toLower());
  }
}

} // namespace

void TAutoQueue::Init() {
  Clear();
  exists_ = true;
}

void TAutoQueue::Clear() {
  exists_ = false;
  items_.clear();
  visited_.clear();
  killWords_.clear();
}

void TAutoQueue::SetKillWords(const QByteArray &bookmarkWords, const QList<QByteArray> &exclusionLines) {
  killWords_.clear();
  AddLines(killWords_, bookmarkWords);
  for (const QByteArray &line : exclusionLines)
    AddLines(killWords_, line);
}

void TAutoQueue::AppendPage(std::unique_ptr<TAutoItem> item) {
  if (!exists_)
    return;
  visited_.insert(SplitFetchTarget(item->URL).Url());
  items_.push_back(std::move(item));
}

std::unique_ptr<TAutoItem> TAutoQueue::TakeFirst() {
  if (items_.empty())
    return nullptr;
  std::unique_ptr<TAutoItem> item = std::move(items_.front());
  items_.pop_front();
  return item;
}

void TAutoQueue::FreeItems() {
  items_.clear();
}

void TAutoQueue::ForgetVisited() {
  visited_.clear();
}

bool TAutoQueue::Killed(const QByteArray &url) const {
  const QByteArray lower = url.toLower();
  for (const QByteArray &word : killWords_) {
    if (lower.contains(word))
      return true;
  }
  return false;
}

TAutoItem *TAutoQueue::Add(const QByteArray &url, const TAutoItem &parent, int depth, bool front) {
  auto item = std::make_unique<TAutoItem>();
  item->BMInfo = parent.BMInfo;
  item->URL = url;
  item->Depth = depth;
  TAutoItem *added = item.get();
  if (front)
    items_.push_front(std::move(item));
  else
    items_.push_back(std::move(item));
  return added;
}

TAutoItem *TAutoQueue::QueueAutoLink(const QByteArray &link, const TAutoItem &parent) {
  char mark = 0;
  QByteArray url = link;
  if (!url.isEmpty() && QByteArray("!#*^").contains(url.front())) {
    mark = url.front();
    url.remove(0, 1);
  }
  // Links of any other scheme (https, ftp, mailto, javascript) are not fetched: splitting them
  // as HTTP URLs would fetch from a host named after the scheme, or from the wrong server.
  if (!StartsWithNoCase(url, "http://") || !exists_ || visited_.contains(url))
    return nullptr;
  visited_.insert(url);
  const TBMInfo *bookmark = parent.BMInfo;
  if (bookmark == nullptr)
    return nullptr;
  if (mark != '!' && mark != '*' && Killed(url))
    return nullptr;

  const int below = bookmark->Depth + 2;
  switch (mark) {
  case '!':
    return bookmark->InlineImages && parent.Depth < below ? Add(url, parent, below, true) : nullptr;
  case '#':
    return bookmark->EmbeddedFiles && parent.Depth < below ? Add(url, parent, below, true) : nullptr;
  case '*':
    return bookmark->Java && parent.Depth < below ? Add(url, parent, below, true) : nullptr;
  case '^':
    return Add(url, parent, parent.Depth, true);
  default:
    break;
  }
  if (parent.Depth >= bookmark->Depth)
    return nullptr;
  const TSite linkSite = SiteOf(url);
  const TSite bookmarkSite = SiteOf(bookmark->URL);
  if (linkSite.host == bookmarkSite.host) {
    if (!DirectoryAllowed(bookmark->DirMovement, bookmarkSite.directory, linkSite.directory))
      return nullptr;
    return Add(url, parent, parent.Depth + 1, false);
  }
  return bookmark->FollowExternal ? Add(url, parent, bookmark->Depth + 1, false) : nullptr;
}

} // namespace ql
