#pragma once

#include <QByteArray>

#include <cstdint>

namespace ql {

class TCacheStore;
class TMimeTable;
class TWatchedCacheList;

// The criteria of a cache search. Empty texts test nothing. Texts compare with their case
// when MatchCase is set, otherwise both sides upper-cased (ASCII letters).
struct TSearch {
  QByteArray FromDate;  // lowest retrieval date as typed (short date format, see filter_dates.h)
  QByteArray ToDate;    // highest retrieval date; a date without a time means the whole day
  QByteArray TitleText; // found in the title of HTML entries
  QByteArray UrlText;   // found in the URL
  QByteArray HtmlText;  // found in the body of HTML entries
  bool MatchCase = false;
  bool ApplyToCurrent = false; // narrow the given list instead of the whole cache
  int32_t BookmarkId = 0;      // with AutoEntries: the owning bookmark's serial id
  uint16_t Generation = 0;     // with AutoEntries: the bookmark's generation (low 16 bits)
  // The file-type classes kept, by the MIME type's name.
  bool Other = true;           // none of the four below
  bool Text = true;            // "text/..."
  bool Images = true;          // "image/..."
  bool Video = true;           // "video/..."
  bool Audio = true;           // "audio/..."
  bool AutoEntries = false;    // only the bookmark's Autobrowse entries
  bool OldGenerations = false; // with AutoEntries: earlier generations instead of the current
};

// The window a search reports to while it runs: it lets pending window messages run now and
// then (so that its Cancel can clear the go-on flag) and shows the progress of the HTML pass.
class TSearchWindow {
public:
  virtual ~TSearchWindow() = default;
  virtual void ProcessMessages() = 0;
  // The HTML pass begins ("Searching HTML documents", the bar at 0), advances, ends.
  virtual void ShowHtmlProgress() = 0;
  virtual void SetHtmlProgress(int percent) = 0;
  virtual void HideHtmlProgress() = 0;
};

// Runs a search over the cache of store (with its MIME table) and puts the entries that
// passed into list, replacing what it held; the list then exists. The search starts from the
// list's entries when ApplyToCurrent is set and the list exists, otherwise from every entry
// of the cache with a MIME type. Its passes, in order: file types (only when a class is off),
// URL, title, from date, to date, Autobrowse entries, HTML body.
//
// The search works on a list of its own, which follows the cache index (entries freed while
// it runs leave it), and swaps the result into list at the end, so list never holds a freed
// entry. With a window, window messages run every 15 entries of the type pass, 25 of the
// others and 10 of the HTML pass, and at least every 50 ms; without one (the /cache page) the
// search runs through without them.
//
// It sets the go-on flag (go_on_flag.h) at its start; when the flag is cleared while it runs,
// the pass stops, the entries not yet reached are dropped, and the result holds the entries
// that passed up to that point (the Autobrowse test still applies). Returns false then,
// true when the search completed.
bool SearchCache(TCacheStore &store, const TMimeTable &mimes, TSearchWindow *window, const TSearch &search,
                 TWatchedCacheList &list);

} // namespace ql
