#pragma once

#include "proxy/engine/autobrowse/auto_fetch_events.h"
#include "proxy/engine/autobrowse/auto_queue.h"
#include "proxy/engine/autobrowse/autobrowse_view.h"
#include "proxy/engine/autobrowse/bookmark_tree.h"
#include "proxy/engine/autobrowse/session_clock.h"
#include "proxy/engine/http/dates.h"

#include <memory>

namespace ql {

class TBMInfo;
struct TCacheItem;
class TProxyCache;
class TRegIniFile;
class Timer;

// One Autobrowse session: it walks the bookmark tree, takes up each bookmark that is due,
// fetches its page through origin-side connections, follows the page's links to the
// bookmark's depth under its rules and limits (TAutoQueue), stores everything as Auto cache
// entries, and moves on until no bookmark is due.
//
// The session steps itself: StartAutobrowseSession arms a single-shot step of 750 ms, and each
// step arms the next until the session ends. A step finishes the current bookmark once
// nothing waits and nothing is in flight, takes up the next due one, checks the time and size
// limits, shows the counters and starts fetches. At most four fetches run at once; when one
// ends, the next waiting URL starts at once rather than at the next step, so a run goes as
// fast as the origin and the four-fetch window allow.
//
// A run is complete when it retrieved something and was not skipped by the user (a limit may
// have cut it): its schedule moves on and its hold is released. Only a run that reached the end
// of its links purges the Auto entries of earlier runs that it did not meet; a run cut by a
// limit or skipped purges nothing, so the off-line copy never shrinks to what fitted. A run
// that retrieved nothing puts the bookmark on hold. A run whose page came back with an error
// status moves the schedule on but purges nothing and keeps the stored copy of the page, so an
// error never costs the last good off-line copy.
//
// The tree, the view and the exclusion lines are not owned; they default to the stand-ins of
// bookmark_tree.h and autobrowse_view.h. The cache and the settings store are not owned and
// must outlive the session, and the session must outlive the network window's connections.
// One session at a time. GUI thread only.
class TAutobrowseSession : public TAutoFetchEvents {
public:
  static constexpr unsigned kStepMs = 750;
  static constexpr int kMaxFetches = 4;

  TAutobrowseSession(TProxyCache &cache, TRegIniFile &settings);
  ~TAutobrowseSession() override;
  TAutobrowseSession(const TAutobrowseSession &) = delete;
  TAutobrowseSession &operator=(const TAutobrowseSession &) = delete;

  void SetTree(TBookmarkTree *tree);
  void SetView(TAutobrowseView *view);
  void SetExclusionLines(const TExclusionLines *lines);
  // The tree linked in (the stand-in without nodes until one is).
  TBookmarkTree &Tree() const { return *tree_; }

  // Starts a session (the window has logged its start line). A session already running goes
  // on as it is.
  void StartAutobrowseSession();
  // One step; true when the session has ended (or none runs).
  bool AutobrowseStep();
  // Ends the session at once: no more steps, the lists freed, the current bookmark unlocked,
  // its connections closed. The window logs the end.
  void StopAutobrowseSession();
  // Skips the current bookmark: it is put on hold, its connections are closed and its queue
  // emptied; it finishes at a following step.
  void SkipAutobrowseItem();
  // Pause stops the steps and the starting of fetches; Continue resumes them, and the paused
  // time does not count towards the bookmark's time limit.
  void PauseSession();
  void ContinueSession();
  // Frees the lists (ClearAutoLists); no further step runs. The network window's stop calls it.
  void ClearAutoLists();

  bool Running() const { return queue_.Exists(); }
  // The bookmark being fetched, or null between bookmarks.
  TBMInfo *CurrentBookmark() const { return current_; }
  // When the running (or last) session started.
  TDateTime SessionStart() const { return sessionStart_; }

  void AutoBytesReceived(qint64 n) override;
  void AutoFetchDone(TAutoItem &item, const TFetchResult &fetch, bool whole) override;
  void AutoFetchEnded() override;

private:
  void OnStepTimer();
  void FinishBookmark();
  void EndSession();
  bool FindNextDueBookmark();
  void TakeUp(TBMInfo &bookmark);
  void BuildKillWordList();
  void AutobrowseFetchNext();
  void UseValidatedEntry(TAutoItem &item, TCacheItem &entry);
  void StartFetch(std::unique_ptr<TAutoItem> item, const QByteArray &host, int port, const QByteArray &path,
                  const TCacheItem *entry);
  void ExtractLinksOf(TAutoItem &item, const QString &path);
  void QueueRedirect(TAutoItem &item, const QByteArray &location);
  void MarkEntryMet(TCacheItem &entry, const TBMInfo &bookmark);
  bool HasGoodCopy(const QByteArray &url);
  void CloseAutoConnections();
  void LogSessionStats();
  void Log(const QString &line) { view_->AddAutoNote(line); }
  void ShowCounters();
  void CancelRefill();

  TProxyCache &cache_;
  TRegIniFile &settings_;
  TNoBookmarkTreeYet noTree_;
  TNoAutobrowseWindowYet noView_;
  TNoExclusionLinesYet noLines_;
  TBookmarkTree *tree_ = &noTree_;
  TAutobrowseView *view_ = &noView_;
  const TExclusionLines *lines_ = &noLines_;

  TAutoQueue queue_;
  TBMInfo *current_ = nullptr;
  std::unique_ptr<TBMInfo> news_;
  bool newsOffered_ = false;
  TDateTime sessionStart_ = 0;
  int64_t runStartTick_ = 0;
  int itemsRetrieved_ = 0;
  int64_t bytesRetrieved_ = 0;
  int64_t speedBytes_ = 0;
  TSpeedRing speed_;
  bool skipped_ = false;
  bool limitReached_ = false;
  bool pageFailed_ = false;
  bool paused_ = false;
  int64_t pauseTick_ = 0;
  bool refillQueued_ = false;
  std::unique_ptr<Timer> stepTimer_;
};

} // namespace ql
