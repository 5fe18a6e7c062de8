#pragma once

#include "library/runtime/data/keyed_view.h"
#include "library/runtime/windows/event.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace vx {

class DataFile;
class ListControl;
class Window;

// How the scroll thumb of an order stands for key values.
enum class ThumbKind {
  None,              // no steps: the thumb only tells top, middle and bottom
  Text,              // 100 text steps, rising in key order
  NumericDescending, // 100 numeric steps, from the highest value to the lowest
};

// One sort order of a browse list.
struct BrowseOrder {
  const Key *key = nullptr;
  ThumbKind thumb = ThumbKind::None;
  int stepLength = 0; // Text: the locator field's length
  // The locator field of the record buffer, as text (Text) or as a number (NumericDescending).
  std::function<QString()> locatorText;
  std::function<double()> locatorNumber;
  // Puts the value of a thumb step into the locator field; only that field changes.
  std::function<void(const QString &text, double number)> setStep;
  // Puts a typed character into the locator field, blanking what the order needs blanked.
  std::function<void(QChar)> locate;
  // The field (index in the file's declaration) that the reset value filters on, compared
  // without regard to case; -1 for an order without a filter.
  int filterField = -1;
};

// What one window's browse list is made of.
struct BrowseConfig {
  DataFile *file = nullptr;
  QString label;                          // the file's label in message 35
  int list = 0;                           // control numbers
  int sheet = 0;                          // 0: the list has a single order
  std::vector<BrowseOrder> orders;        // order n is orders[n - 1]
  std::function<int(int tab)> orderOfTab; // the order a sheet tab (1-based) stands for
  std::function<QStringList()> cells;     // the row's displayed fields, from the record buffer
  int insertButton = 0, changeButton = 0, deleteButton = 0; // 0: the window has none
  int doubleClickButton = 0;                                // pressed by a double-click; 0: none
  std::function<void()> update;                             // the update procedure; empty: none
  std::function<QString(bool hasRows)> popupText;
  std::vector<int> popupButtons; // menu item n presses popupButtons[n - 1]
  // The filter's reset value and the record field it presets: the reset value is read from
  // `resetSource` at each refresh and put back with `restoreReset` when a read ends;
  // `presetFilter` puts it into the record buffer before a keyed start or an insert.
  std::function<QString()> resetSource;
  std::function<void(const QString &)> restoreReset;
  std::function<void(const QString &)> presetFilter;
  // Whether the first OpenWindow gives the list the focus (which also shows its tab); a
  // form whose lists sit on later tabs keeps the focus and the first tab for itself.
  bool focusOnOpen = true;
  // A test of each record of the file (of its type); the records it refuses are never
  // listed. Empty: every record is listed.
  std::function<bool(const void *record)> rowFilter;
};

// The browse list of a window: a list control that holds one page of rows read through a
// view over a keyed file, and reads more as the user scrolls, pages, types a letter, drags
// the thumb, changes the sort order or comes back from an update form. It never reads more
// than a page to show a page: paging reads one page, a line step one record, and the thumb
// and the typed letter jump through the key.
//
// The owning procedure creates it after adding the window's controls, passes every event
// of its ACCEPT loop to Handle(), and runs TakeSelectedRow() before its own button actions.
// The record buffer of the file (shared with the procedures the window calls) holds the
// current row's record after every change of selection; an empty list clears it.
// The browse belongs to its procedure and refers to the window, which must outlive it.
class BrowseList {
public:
  BrowseList(Window &window, BrowseConfig config, int openingRequest);
  ~BrowseList();
  BrowseList(const BrowseList &) = delete;
  BrowseList &operator=(const BrowseList &) = delete;

  // Handles the list's, the sheet's and the window's events; false for events it leaves to
  // the procedure (buttons, CloseWindow).
  bool Handle(const Event &event);
  // Tells the observer (below) that the procedure has finished with the event.
  void Done(const Event &event) const;

  // The forced refresh that a resize asks for (after the window rescaled its controls).
  void ForceRefresh();
  void RefreshBrowse();
  // Makes the highlighted row current and re-reads its record (and memo) into the buffer.
  void TakeSelectedRow();
  // Update calls: request 1, 2 or 3 to the update procedure, then the list is positioned
  // on the written record, or refilled around the same place.
  void Insert();
  void Change();
  void Delete();

  int Order() const { return order_; }
  const QString &ResetValue() const { return resetValue_; }
  int RowCount() const { return int(rows_.size()); }
  int CurrentRow() const { return current_; }
  int Thumb() const { return thumb_; }
  bool SelectionPending() const { return selectionPending_; }
  bool HasOpened() const { return openedOnce_; }
  int LocalResponse() const { return localResponse_; }
  void SetLocalResponse(int response) { localResponse_ = response; }

private:
  struct Row {
    std::shared_ptr<void> record;
    QString position;
    qint64 pointer = 0;
  };
  enum class FillMode { None, Around, FromEnd };

  const BrowseOrder &ActiveOrder() const { return config_.orders[size_t(order_ - 1)]; }
  bool Filtered() const { return order_ > 0 && ActiveOrder().filterField >= 0; }
  int Visible() const;
  void SetViewOrder();
  void OpenBrowseView();
  void ResetBrowse(bool byPosition);
  void FillBrowsePage();
  int FetchBrowseRecord(int count, bool down);
  void ComputeThumbSteps();
  void CheckBrowseOrder();
  void BrowsePopupMenu();
  void CallUpdateProcedure(int request);
  void PostNewSelection();

  void ClearRows();
  void AddRow(bool atEnd);
  void DropRow(bool first);
  void CopyRowToBuffer(int row);
  void ClearBuffer();
  void SelectCurrent();
  int ThumbFromRecord() const;
  void ReadFailed();

  void OnNewSelection(const Event &event);
  void OnScroll(EventKind kind);
  void OnThumbDrag(int position);
  void OnAlertKey(const Event &event);

  Window &window_;
  BrowseConfig config_;
  ListControl &list_;
  View view_;
  std::deque<Row> rows_;
  int current_ = 0;
  int order_ = 0;
  QString resetValue_;
  std::vector<QString> textSteps_;
  std::vector<double> numberSteps_;
  int thumb_ = 0;
  bool pageGuard_ = true;
  FillMode fillMode_ = FillMode::None;
  QString saved_;
  bool selectionPending_ = false;
  bool force_ = false;
  bool openedOnce_ = false;
  bool failed_ = false;
  int openingRequest_ = 0;
  int localRequest_ = 0;
  int localResponse_ = 2;
};

// Called after a browse list has handled each event of its window; for tests and
// benchmarks that drive a browse window from outside. Returns the observer it replaces.
using BrowseObserver = std::function<void(const BrowseList &browse, const Event &event)>;
BrowseObserver SetBrowseObserver(BrowseObserver observer);

} // namespace vx
