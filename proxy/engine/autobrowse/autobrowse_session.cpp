#include "proxy/engine/autobrowse/autobrowse_session.h"

#include "proxy/engine/autobrowse/auto_fetch.h"
#include "proxy/engine/autobrowse/auto_item.h"
#include "proxy/engine/autobrowse/auto_purge.h"
#include "proxy/engine/autobrowse/auto_request.h"
#include "proxy/engine/autobrowse/bookmark_info.h"
#include "proxy/engine/autobrowse/fetch_target.h"
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/net/dns_cache.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/origin_pipe.h"
#include "proxy/engine/net/own_addresses.h"
#include "proxy/platform/message_queue.h"
#include "proxy/platform/timer.h"

namespace ql {

namespace {

bool IsDue(const TBMInfo &bookmark, TDateTime now) {
  return !bookmark.Folder && !bookmark.URL.isEmpty() && !bookmark.Hold &&
         ((bookmark.Scheduled && now > bookmark.NextRefresh) || bookmark.GetNextTime);
}

uint64_t RefillSourceId(const TAutobrowseSession *session) {
  return static_cast<uint64_t>(reinterpret_cast<std::uintptr_t>(session));
}

} // namespace

TAutobrowseSession::TAutobrowseSession(TProxyCache &cache, TRegIniFile &settings)
    : cache_(cache), settings_(settings),
      stepTimer_(std::make_unique<Timer>([this] { OnStepTimer(); }, kStepMs, false)) {}

TAutobrowseSession::~TAutobrowseSession() {
  CancelRefill();
}

void TAutobrowseSession::SetTree(TBookmarkTree *tree) {
  tree_ = tree != nullptr ? tree : &noTree_;
}

void TAutobrowseSession::SetView(TAutobrowseView *view) {
  view_ = view != nullptr ? view : &noView_;
}

void TAutobrowseSession::SetExclusionLines(const TExclusionLines *lines) {
  lines_ = lines != nullptr ? lines : &noLines_;
}

void TAutobrowseSession::StartAutobrowseSession() {
  if (Running())
    return;
  AutoFetchesInFlight = 0;
  queue_.Init();
  current_ = nullptr;
  sessionStart_ = Now();
  runStartTick_ = 0;
  itemsRetrieved_ = 0;
  bytesRetrieved_ = 0;
  speedBytes_ = 0;
  skipped_ = limitReached_ = pageFailed_ = paused_ = false;
  news_ = std::make_unique<TBMInfo>();
  news_->Title = "Ostwick News Page";
  news_->URL = kNewsAddress;
  news_->Depth = 3;
  news_->DirMovement = ForwardsOnly;
  news_->GetNextTime = NewsDue ? 1 : 0;
  stepTimer_->SetEnabled(true);
}

void TAutobrowseSession::OnStepTimer() {
  stepTimer_->SetEnabled(false);
  if (!AutobrowseStep())
    stepTimer_->SetEnabled(!paused_);
}

bool TAutobrowseSession::AutobrowseStep() {
  if (!Running())
    return true;
  if (queue_.Empty() && AutoFetchesInFlight == 0) {
    if (current_ != nullptr)
      FinishBookmark();
    if (!FindNextDueBookmark()) {
      EndSession();
      return true;
    }
    current_->Locked = 1;
    view_->FillOutbasket();
    LogSessionStats();
    runStartTick_ = TickCount();
    itemsRetrieved_ = 0;
    skipped_ = limitReached_ = pageFailed_ = false;
    bytesRetrieved_ = 0;
    speedBytes_ = 0;
    speed_.Reset(runStartTick_);
    Log(QStringLiteral("Processing      \t: ") + QString::fromUtf8(current_->Title));
    Log(QStringLiteral("URL             \t\t: ") + QString::fromUtf8(current_->URL));
  }
  if (current_ == nullptr)
    return false;

  const int64_t now = TickCount();
  const int64_t elapsed = std::max<int64_t>(0, now - runStartTick_);
  int64_t remaining = current_->TimeLimit - elapsed;
  if (remaining < 0) {
    SkipAutobrowseItem();
    limitReached_ = true;
    Log(QStringLiteral("*Download exceeded time limit*"));
    remaining = 0;
  }
  if (bytesRetrieved_ >= current_->SizeLimit) {
    SkipAutobrowseItem();
    limitReached_ = true;
    Log(QStringLiteral("*Download exceeded size limit*"));
  }
  TAutobrowseCounters counters;
  counters.queued = QStringLiteral("%1 / %2")
                        .arg(static_cast<qulonglong>(queue_.Count()) + std::max(0, AutoFetchesInFlight))
                        .arg(itemsRetrieved_);
  counters.data = QStringLiteral("%1 bytes").arg(bytesRetrieved_);
  counters.duration =
      DurationText(elapsed) + QStringLiteral(" (") + DurationText(remaining) + QStringLiteral(" time limit)");
  counters.rate = QStringLiteral("  %1 bytes/sec").arg(speed_.Add(speedBytes_, now));
  speedBytes_ = 0;
  view_->ShowCounters(counters);
  AutobrowseFetchNext();
  return false;
}

void TAutobrowseSession::FinishBookmark() {
  TBMInfo &bookmark = *current_;
  if (itemsRetrieved_ > 0 && (!skipped_ || limitReached_)) {
    // Only a run that reached the end of its links replaces what earlier runs stored; one cut
    // by a limit met only part of the site.
    if (!skipped_ && !pageFailed_)
      PurgeOldAutobrowseItems(cache_, bookmark);
    const TDateTime now = Now();
    if (bookmark.Scheduled && now > bookmark.NextRefresh)
      bookmark.CalcNextRefresh(now);
    bookmark.GetNextTime = 0;
    if (!pageFailed_)
      bookmark.LastVisit = now;
    bookmark.Hold = 0;
  } else if (itemsRetrieved_ == 0) {
    bookmark.Hold = 1;
  }
  bookmark.Locked = 0;
  queue_.ForgetVisited();
  tree_->Repaint();
}

void TAutobrowseSession::EndSession() {
  LogSessionStats();
  current_ = nullptr;
  view_->FillOutbasket();
  ClearAutoLists();
  Log(QStringLiteral("Session ended on ") + SessionTimeText(Now()));
  Log(QStringLiteral("Duration of Session : ") +
      DurationText(static_cast<int64_t>((Now() - sessionStart_) * 86400000.0)));
  view_->ShowCounters({});
  view_->SessionEnded();
  news_.reset();
}

bool TAutobrowseSession::FindNextDueBookmark() {
  const int count = tree_->Count();
  if (count == 0)
    return false;
  const TDateTime now = Now();
  for (int i = 0; i <= count; ++i) {
    TBMInfo *bookmark = nullptr;
    if (i < count) {
      bookmark = &tree_->Info(i);
    } else {
      if (!news_)
        return false;
      news_->GetNextTime = !newsOffered_ && news_->GetNextTime && DNSCache().IsDirty() ? 1 : 0;
      newsOffered_ = true;
      bookmark = news_.get();
    }
    if (IsDue(*bookmark, now)) {
      TakeUp(*bookmark);
      view_->EnableSkip();
      return true;
    }
  }
  return false;
}

void TAutobrowseSession::TakeUp(TBMInfo &bookmark) {
  auto item = std::make_unique<TAutoItem>();
  ++bookmark.Generation;
  item->BMInfo = &bookmark;
  item->Page = true;
  current_ = &bookmark;
  if (bookmark.SendCredentials && bookmark.Credentials.isEmpty() && !bookmark.UserName.isEmpty())
    bookmark.Credentials = (bookmark.UserName + ':' + bookmark.Password).toBase64();
  BuildKillWordList();
  item->URL = bookmark.URL;
  queue_.AppendPage(std::move(item));
}

void TAutobrowseSession::BuildKillWordList() {
  queue_.SetKillWords(current_ != nullptr ? current_->KillWords : QByteArray(), lines_->ExclusionLines());
}

void TAutobrowseSession::AutobrowseFetchNext() {
  while (Running() && !queue_.Empty() && AutoFetchesInFlight < kMaxFetches) {
    std::unique_ptr<TAutoItem> item = queue_.TakeFirst();
    ++AutoFetchesInFlight;
    const TFetchTarget target = SplitFetchTarget(item->URL);
    item->URL = target.Url();
    // The proxy's own pages are not fetched, nor a URL that names no host.
    if (target.Host == kPseudoHost || target.Host == "NONE")
      continue;
    TCacheItem *entry = cache_.Store().FindCacheItem(item->URL, {}, kAutoMode);
    item->Cache = entry != nullptr ? entry->ID : 0;
    if (entry != nullptr && entry->Validated) {
      UseValidatedEntry(*item, *entry);
      continue;
    }
    StartFetch(std::move(item), target.Host, target.Port, target.Path, entry);
  }
}

void TAutobrowseSession::StartFetch(std::unique_ptr<TAutoItem> item, const QByteArray &host, int port,
                                    const QByteArray &path, const TCacheItem *entry) {
  const TBMInfo &bookmark = *item->BMInfo;
  TAutoRequestFacts facts;
  facts.Host = host;
  facts.Port = port;
  facts.Path = path;
  facts.UseUpstreamProxy = UseUpstreamProxy;
  facts.CachedLastModified = entry != nullptr ? entry->LastModified : kNoDate;
  facts.UserAgent = EngineSettings.UserAgent.toLatin1().left(255);
  if (SameServer(item->URL, bookmark.URL))
    facts.Credentials = bookmark.Credentials;

  auto owned = std::make_unique<TOriginPipe>(cache_);
  TOriginPipe *origin = owned.get();
  ServerPipeList.push_back(std::move(owned));
  origin->Host = host;
  origin->Port = port;
  origin->Path = path;
  origin->RequestText = BuildAutoRequest(facts);
  origin->Spool = !DiskFull && !cache_.Store().Backlogged();
  origin->CacheId = item->Cache;
  origin->Receiver = std::make_unique<TAutoFetch>(std::move(item), *this);
  origin->InitiateConnection();
}

void TAutobrowseSession::SkipAutobrowseItem() {
  skipped_ = true;
  if (current_ != nullptr)
    current_->Hold = 1;
  CloseAutoConnections();
  queue_.FreeItems();
  queue_.ForgetVisited();
}

void TAutobrowseSession::StopAutobrowseSession() {
  stepTimer_->SetEnabled(false);
  ClearAutoLists();
  AutoFetchesInFlight = 0;
  if (current_ != nullptr)
    current_->Locked = 0;
  current_ = nullptr;
  paused_ = false;
  CloseAutoConnections();
  news_.reset();
}

void TAutobrowseSession::PauseSession() {
  if (!Running() || paused_)
    return;
  paused_ = true;
  pauseTick_ = TickCount();
  stepTimer_->SetEnabled(false);
}

void TAutobrowseSession::ContinueSession() {
  if (!paused_)
    return;
  paused_ = false;
  if (runStartTick_ != 0)
    runStartTick_ += TickCount() - pauseTick_;
  stepTimer_->SetEnabled(Running());
  AutobrowseFetchNext();
}

void TAutobrowseSession::ClearAutoLists() {
  stepTimer_->SetEnabled(false);
  CancelRefill();
  queue_.Clear();
}

void TAutobrowseSession::CloseAutoConnections() {
  // Closing takes a connection out of the list: collect first, then close.
  std::vector<TOriginPipe *> fetching;
  for (const auto &pipe : ServerPipeList) {
    auto *origin = dynamic_cast<TOriginPipe *>(pipe.get());
    if (origin != nullptr && origin->Receiver)
      fetching.push_back(origin);
  }
  for (TOriginPipe *origin : fetching)
    origin->CloseSock();
}

void TAutobrowseSession::LogSessionStats() {
  if (runStartTick_ == 0)
    return;
  Log(QStringLiteral("Items Retrieved\t: %1").arg(itemsRetrieved_));
  Log(QStringLiteral("Bytes Retrieved\t: %1").arg(bytesRetrieved_));
  Log(QStringLiteral("Duration       \t\t: ") + DurationText(TickCount() - runStartTick_));
  Log(QString());
}

void TAutobrowseSession::AutoBytesReceived(qint64 n) {
  bytesRetrieved_ += n;
  speedBytes_ += n;
}

void TAutobrowseSession::AutoFetchEnded() {
  if (refillQueued_ || !Running())
    return;
  refillQueued_ = true;
  QueuedMessage message;
  message.source = MessageSource::Task;
  message.sourceId = RefillSourceId(this);
  message.task = [this] {
    refillQueued_ = false;
    if (!paused_)
      AutobrowseFetchNext();
  };
  message_queue::Post(std::move(message));
}

void TAutobrowseSession::CancelRefill() {
  if (!refillQueued_)
    return;
  refillQueued_ = false;
  const uint64_t id = RefillSourceId(this);
  message_queue::Drop([id](const QueuedMessage &message) {
    return message.source == MessageSource::Task && message.sourceId == id;
  });
}

} // namespace ql
