#pragma once

#include "proxy/engine/cache/watched_cache_list.h"

#include <QMainWindow>

#include <array>
#include <cstdint>

class QAction;
class QLabel;
class QMenu;
class QTableView;
class QToolButton;

namespace ql {

class TCachePropForm;
class TCacheGridModel;
class TFilterForm;
class TGridSelForm;
class TProgressPanel;
class TProxyCache;
class TRegIniFile;
class TSortForm;
struct TSearch;
class TSearchWindow;

// Opens a URL in the browser, with its POST data (empty: none): the Bookmarks window's
// browser conversation. Until the program has one the Explorer's Open is disabled.
class TUrlOpener {
public:
  virtual ~TUrlOpener() = default;
  virtual void OpenURL(const QByteArray &url, const QByteArray &postData) = 0;
};

// The drag format of a bookmark dropped on the grid: its serial id and generation as decimal
// numbers separated by a blank. The Explorer then lists the bookmark's current Autobrowse
// entries.
inline constexpr char kBookmarkMimeType[] = "application/x-quenlark-bookmark";

// The Cache Explorer, "Cache Explorer": a grid of cache entries, one row per entry of its view
// list, with the columns chosen in Select Headers. It lists the whole cache, a search's result
// (Filter, the Bookmarks window's lists), the unseen entries or the first pages visited; it
// sorts, opens an entry in the browser, shows its properties, saves its body, deletes entries
// and imports another browser's cache. Its status bar describes the entry under the cursor or
// the current row, and is empty when there is neither.
//
// The view list follows the cache index: an entry the cache frees leaves it at once, and its
// row says so until the view is shown again. The list is absent until the first showing
// through the control bar (or a search); an absent list is rebuilt from the whole cache by
// ShowItems. Long operations show a progress panel over the window and let window messages
// run; they stop on the go-on flag.
//
// The settings store, the cache and the Select Headers dialog must outlive the window; the
// Filter, Sort and Cache Item Properties dialogs are created after it and handed to it with
// SetDialogs. Creation restores its placement and grid layout, destruction saves them. Its
// code is in three files: widgets and menus (cache_form.cpp), the view and its layout
// (cache_form_view.cpp) and the commands on entries (cache_form_items.cpp). GUI thread only.
class TCacheForm : public QMainWindow {
public:
  TCacheForm(TRegIniFile &settings, TProxyCache &cache, TGridSelForm &gridSel, QWidget *parent = nullptr);
  ~TCacheForm() override;

  void SetDialogs(TFilterForm *filter, TSortForm *sort, TCachePropForm *properties);
  void SetUrlOpener(TUrlOpener *opener);

  // The current sort key (1 URL, 2 Title, 3 Retrieval Date, 4 Content Length, 5 Cache Hits)
  // and direction (0 ascending, 1 descending). The Sort dialog reads them from the settings
  // at its creation and writes them at its destruction.
  int SortedBy = 1;
  int SortDirection = 0;

  TWatchedCacheList &View() { return view_; }
  TCacheGridModel &Model() { return *model_; }
  QTableView *Grid() const { return grid_; }
  QString StatusText(int panel) const;

  // Builds the view list when absent (every entry with a MIME type, in the current order),
  // hands it to the grid and sizes the rows. Entries freed since leave the list here.
  void ShowItems();
  // Sorts the view list by key and direction (SortedBy's numbering).
  void SortView(int key, int direction);
  // Runs a search into the view list and sorts the result by the current order.
  bool RunSearch(const TSearch &search, TSearchWindow *window);

  // The Bookmarks window's commands: the cached entries of a bookmark URL's host, and a
  // bookmark's Autobrowse entries of its current (or earlier) generations. Each shows the
  // Explorer with its new view.
  void ListCachedItems(const QByteArray &bookmarkUrl);
  void ShowAutoItems(int32_t serialId, int32_t generation, bool old);

  // The grid's columns from Select Headers; returns the sum of their widths.
  int SetupColumns();
  // Scales the columns to share out the grid's width (once the window shows), none narrower
  // than its heading.
  void StretchColumns();

  // The handlers of the window's buttons and menus.
  void ShowAllButtonClick();
  void FilterButtonClick();
  void SortButtonClick();
  void SpeedButton1Click(); // Unseen
  void ShowFirstDocClick();
  void OpenInBrowserButtonClick();
  void StringGrid1DblClick(int row);
  void Delete2Click();
  void Properties1Click();
  void Saveas1Click();
  void Import1Click();
  void Headers1Click();
  void Stretchtofit1Click();
  void SelectAll1Click();
  // Imports the browser cache index at path, with the progress panel.
  void ImportFrom(const QString &path);

  // The status bar's text for a data row (from 0): empty for no row and for the blank row of
  // an empty list.
  void ShowRowStatus(int row);

protected:
  void showEvent(QShowEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void BuildWidgets();
  void BuildMenus();
  QToolButton *AddButton(const QString &text, const QString &hint, void (TCacheForm::*handler)());
  void UpdateMenus();
  void ReadGridLayout();
  void WriteGridLayout();
  void ApplyStretch(bool stretched);
  // The width that shows column col's heading whole.
  int HeadingWidth(int col) const;
  void BuildWholeView();
  void RunSearchAndShow(const TSearch &search);
  void OpenRow(int row);
  std::vector<int> SelectedRows() const;
  TCacheItem *FirstSelectedItem() const;
  void ShowButtonHint(QToolButton *button);
  bool DropBookmark(QEvent *event);
  // A row whose entry left the cache: its note, across the whole row, and the status bar when
  // it is the current row.
  void NoteGoneRow(int row);
  // Lets a row's note ("This item is no longer available", "This object is no longer in the
  // cache") span the row, so that it shows whole however narrow the first column is.
  void SpanNote(int row);
  // The spans of the notes after the rows or columns changed.
  void SpanNotes();

  TRegIniFile &settings_;
  TProxyCache &cache_;
  TGridSelForm &gridSel_;
  TFilterForm *filter_ = nullptr;
  TSortForm *sort_ = nullptr;
  TCachePropForm *properties_ = nullptr;
  TUrlOpener *opener_ = nullptr;
  TWatchedCacheList view_;
  TCacheGridModel *model_ = nullptr;
  QTableView *grid_ = nullptr;
  TProgressPanel *progressPanel_ = nullptr;
  QWidget *buttonPanel_ = nullptr;
  QToolButton *openButton_ = nullptr;
  QToolButton *helpButton_ = nullptr;
  std::array<QLabel *, 3> status_{};
  QAction *stretchAction_ = nullptr;
  QAction *openAction_ = nullptr;
  QMenu *popup_ = nullptr;
  std::vector<QAction *> needView_; // enabled only while the view holds entries
  bool firstShow_ = true;
};

} // namespace ql
