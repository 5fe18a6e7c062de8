#pragma once

#include "proxy/engine/cache/auto_entry_owner.h"
#include "proxy/engine/cache/cache_index.h"
#include "proxy/engine/cache/cache_journal.h"
#include "proxy/engine/cache/cache_limits.h"
#include "proxy/engine/cache/cache_worker.h"
#include "proxy/engine/cache/file_recycler.h"
#include "proxy/engine/http/dates.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace ql {

class TDownloadFile;

// How an entry is looked up or stored: for the browser's requests, or for Autobrowse.
enum TCacheMode : int { kBrowserMode = 0, kAutoMode = 2 };

// The status of the only answers that become the last page the add-bookmark form offers.
inline constexpr int kLastPageStatus = 200;

// A finished fetch as the origin-side connection hands it to the store.
struct TFetchResult {
  bool Spooled = false;              // the body was kept in the download file
  TDownloadFile *Download = nullptr; // that file, still open; the store moves it into place
  QString DownloadPath;              // a path by which the download file reads
  QByteArray Host;
  int Port = 80;
  QByteArray Path;
  bool Post = false;         // the request was a POST
  QByteArray PostData;       // its body; empty for other requests
  int64_t BytesReceived = 0; // body bytes
  int64_t ContentLength = 0; // the response's, 0 when none
  int Status = 0;
  QByteArray Location;
  TDateTime LastModified = kNoDate;
  int32_t MimeIndex = 0;
  TAutoEntryOwner *Bookmark = nullptr; // the Autobrowse item's bookmark (kAutoMode only)
};

// The operations on the cache index that the connections use: finding the entry for a
// request, entering a finished download as the body file <ID>.ADL, and trimming the cache to
// its size limit by evicting the least recently accessed Normal entries.
//
// The store owns the journal of the index, the recycler of spare files and the cache's worker
// thread, which writes the journal and deals with the files behind the relay (TCacheWorker); it
// does not own the index or the MIME table. Entries are handed out as pointers that are valid
// until the next call that may remove entries (FindCacheItem, StoreCacheItem, TrimCache,
// Collect); callers that keep an entry keep its ID. GUI thread only.
class TCacheStore {
public:
  TCacheStore(TCacheIndex &index, const QString &dataDir);
  TCacheStore(const TCacheStore &) = delete;
  TCacheStore &operator=(const TCacheStore &) = delete;

  void SetDataDir(const QString &dataDir);
  void SetMaxCacheSize(int64_t bytes) { max_cache_size_ = bytes; }
  void SetMaxCacheItemSize(int64_t bytes) { max_item_size_ = bytes; }
  int64_t MaxCacheItemSize() const { return max_item_size_; }
  // While set, the journal is not written (the disk is full).
  void SetDiskFull(bool diskFull) { disk_full_ = diskFull; }
  // The worker is far behind with the journal (a disk that stalls): new downloads are relayed
  // without being stored until it catches up, as when the disk is full.
  bool Backlogged() const { return journal_.Backlogged(); }

  // The first entry whose URL equals url exactly and whose POST data equals postData whole: an
  // entry stored for a POST is found only with its POST data, and an empty postData (a GET or
  // HEAD) finds only entries without any. An entry whose body file is missing or differs in size from its
  // Length (a crash between the journal and the body) is dropped from the cache and the search
  // goes on. The found entry counts a hit and is accessed now; kBrowserMode also marks it Seen.
  TCacheItem *FindCacheItem(const QByteArray &url, const QByteArray &postData, int mode);

  // Enters a finished fetch when it is admitted: it was spooled and the download file is open,
  // it has a body or is a 301/302, the body is at most the item size limit (the bookmark's
  // maximum item size for kAutoMode), its entry can be saved whole (the answer to a POST only
  // with POST data that a record holds, CanKeepPostData), and the journal is not Backlogged. The
  // download file becomes the entry's body file in one step; when that fails nothing is changed.
  // Returns true when a new entry was made. Trims the cache, then journals the store.
  bool StoreCacheItem(int mode, const TFetchResult &fetch);
  // Queues the store of the listed entry with this ID for the journal: its record and the sync
  // of its body go with the next batch.
  void JournalCacheItem(int32_t id) { journal_.Add(id, disk_full_); }

  // Evicts Normal entries, least recently accessed first (the earliest in list order on a
  // tie), while the cache total exceeds the size limit. Entries accessed more than 1000 days
  // in the future are never chosen; Preserved and Auto entries never are. An evicted entry's
  // body stays where it is until the journal's flush that writes its removal moves it away and,
  // once that removal is on the disk, makes it a spare file; while the journal is not written
  // (the disk was full) it is removed at once.
  void TrimCache();
  // At exit: makes no more spare files, hands the journal what it queues and closes it once
  // written, in the order of every flush.
  void Close();
  // Takes the worker's reports: the IDs whose removals are on the disk (their bodies gone before)
  // may be taken again, and entries whose bodies could not be opened leave.
  void Collect();
  // Takes the files of dropped downloads, and hands out spare files for new ones; its spares
  // live in the TEMP directory of the data directory.
  TFileRecycler &Recycler() { return recycler_; }

  TCacheIndex &Index() { return index_; }
  TCacheJournal &Journal() { return journal_; }
  const TCacheJournal &Journal() const { return journal_; }
  const QString &DataDir() const { return data_dir_; }

  // The URL and title of the last HTML page the browser received with status kLastPageStatus,
  // for the add-bookmark form: an error page (the answer to the browser's own icon request) is
  // no page to bookmark.
  QByteArray LastPageUrl;
  QByteArray LastPageTitle;
  // The browser receives the entry, fetched or from the cache: when it is such a page, its URL
  // and its title, each cut to a short text, become LastPageUrl and LastPageTitle.
  void NoteLastPage(const TCacheItem &item);

  // True when an entry can stand for a POST with this data: the data is not empty (an entry
  // without POST data stands for a GET), fits a record's text and holds no NUL byte, so that
  // it reads back as it was.
  static bool CanKeepPostData(const QByteArray &postData);
  // True when the entry's body file exists and holds exactly Length bytes.
  bool HasWholeBody(const TCacheItem &item) const;
  // The body file of an entry: <ID>.ADL in the data directory.
  QString BodyPath(int32_t id) const;

private:
  TCacheIndex &index_;
  // Declared first, so that it outlives the two that hand it work; the recycler outlives the
  // journal, whose flushes give it the evicted bodies.
  TCacheWorker worker_;
  TFileRecycler recycler_{worker_};
  TCacheJournal journal_;
  QString data_dir_;
  QString body_prefix_; // the data directory with a separator at its end
  int64_t max_cache_size_ = kDefaultMaxCacheSize;
  int64_t max_item_size_ = kDefaultMaxCacheItemSize;
  bool disk_full_ = false;
};

} // namespace ql
