#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>

#include <deque>
#include <memory>

namespace ql {

class TAutoItem;

// The URLs an Autobrowse run waits to fetch for the current bookmark (AutoItemList), the URLs
// already queued for it (VisitedUrls) and its kill words, with the rules by which a link found
// on a fetched page is queued (QueueAutoLink).
//
// The lists exist between Init and Clear; while they do not, no link is taken. Items are
// fetched from the front: in-line images, embedded objects, applet code and frame pages or
// redirect targets go to the front, ordinary links to the back. The queue owns its items;
// every item refers to the bookmark of the run (BMInfo), which it does not own. GUI thread only.
class TAutoQueue {
public:
  // The lists exist and are empty (InitAutoLists).
  void Init();
  // Frees the waiting items, the visited URLs and the kill words; the lists no longer exist
  // (ClearAutoLists).
  void Clear();
  bool Exists() const { return exists_; }

  // The kill words of the bookmark now taken up (BuildKillWordList): every non-empty line of
  // its own kill words, then of the exclusion lines, lower-cased. Lines are not trimmed; a
  // line break may be LF or CR LF.
  void SetKillWords(const QByteArray &bookmarkWords, const QList<QByteArray> &exclusionLines);

  // Appends the bookmark's own page. Its URL counts as queued, so a link back to the page
  // does not fetch it a second time.
  void AppendPage(std::unique_ptr<TAutoItem> item);
  // Takes the first waiting item; null when none waits.
  std::unique_ptr<TAutoItem> TakeFirst();
  std::size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  // Frees every waiting item (a skip); the lists still exist.
  void FreeItems();
  // Forgets the URLs queued so far (a skip, or the bookmark is finished).
  void ForgetVisited();

  // Queues a link found on the page of parent (or the target of its redirect), when the
  // rules admit it. The link may carry one kind mark in front: "!" in-line image, "#"
  // embedded object, "*" applet code, "^" frame page or redirect target; none for an ordinary
  // link. Only "http:" URLs are taken, each once per bookmark (exact comparison). A URL that
  // contains a kill word is not followed unless it is an image or applet code. Images,
  // embedded objects and applet code are fetched at the bookmark's depth + 2 when the
  // bookmark's flag for them is on and the parent lies above that depth; frame pages and
  // redirect targets at the parent's depth. An ordinary link is followed while the parent lies
  // above the bookmark's depth: on the bookmark's host (the first 100 characters, exactly)
  // within its directory movement, one level deeper; on another host only when the bookmark
  // follows external links, at the bookmark's depth + 1, so that its own links are never
  // followed. Returns the new item, or null when nothing was queued.
  TAutoItem *QueueAutoLink(const QByteArray &link, const TAutoItem &parent);

  // The waiting items, front first.
  const std::deque<std::unique_ptr<TAutoItem>> &Items() const { return items_; }

private:
  bool Killed(const QByteArray &url) const;
  TAutoItem *Add(const QByteArray &url, const TAutoItem &parent, int depth, bool front);

  bool exists_ = false;
  std::deque<std::unique_ptr<TAutoItem>> items_;
  QSet<QByteArray> visited_;
  QList<QByteArray> killWords_;
};

} // namespace ql
