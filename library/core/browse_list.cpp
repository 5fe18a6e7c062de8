#include "library/core/browse_list.h"

#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/core/key_steps.h"
#include "library/core/rejected_entry.h"
#include "library/core/standard_messages.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/language/string_functions.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/popup_menu.h"
#include "library/runtime/windows/window.h"

#include <QGuiApplication>

namespace vx {

namespace {

constexpr int kSteps = 100;

BrowseObserver &Observer() {
  static BrowseObserver observer;
  return observer;
}

// Shows the wait cursor while a page is read.
class WaitCursor {
public:
  WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

bool IsScroll(EventKind kind) {
  switch (kind) {
  case EventKind::ScrollUp:
  case EventKind::ScrollDown:
  case EventKind::PageUp:
  case EventKind::PageDown:
  case EventKind::ScrollTop:
  case EventKind::ScrollBottom:
    return true;
  default:
    return false;
  }
}

} // namespace

BrowseObserver SetBrowseObserver(BrowseObserver observer) {
  BrowseObserver previous = std::move(Observer());
  Observer() = std::move(observer);
  return previous;
}

BrowseList::BrowseList(Window &window, BrowseConfig config, int openingRequest)
    : window_(window), config_(std::move(config)), list_(window.Get<ListControl>(config_.list)),
      view_(*config_.file), openingRequest_(openingRequest), localRequest_(openingRequest) {}

BrowseList::~BrowseList() {
  CLOSE(view_);
}

int BrowseList::Visible() const {
  return list_.VisibleRows();
}

void BrowseList::Done(const Event &event) const {
  if (Observer())
    Observer()(*this, event);
}

bool BrowseList::Handle(const Event &event) {
  if (event.control != 0 && event.control == config_.list) {
    if (event.kind == EventKind::NewSelection)
      OnNewSelection(event);
    else if (IsScroll(event.kind))
      OnScroll(event.kind);
    else if (event.kind == EventKind::ScrollDrag)
      OnThumbDrag(event.thumb);
    else if (event.kind == EventKind::AlertKey)
      OnAlertKey(event);
    return true;
  }
  if (event.control != 0 && event.control == config_.sheet) {
    switch (event.kind) {
    case EventKind::Accepted:
    case EventKind::NewSelection:
    case EventKind::TabChanging:
    case EventKind::Selected:
      RefreshBrowse();
      return true;
    default:
      return false;
    }
  }
  switch (event.kind) {
  case EventKind::OpenWindow:
    if (!openedOnce_) {
      openedOnce_ = true;
      RefreshBrowse();
    }
    if (config_.focusOnOpen)
      window_.Select(config_.list);
    return true;
  case EventKind::GainFocus:
    force_ = true;
    openedOnce_ = true;
    RefreshBrowse();
    return true;
  case EventKind::Sized:
    ForceRefresh();
    return true;
  case EventKind::Rejected:
    ShowRejected(window_, event.control);
    return true;
  default:
    return false;
  }
}

void BrowseList::ForceRefresh() {
  force_ = true;
  if (openedOnce_)
    RefreshBrowse();
}

void BrowseList::SetViewOrder() {
  const BrowseOrder &order = ActiveOrder();
  view_.setOrder(*order.key);
  view_.clearFilters();
  if (order.filterField >= 0)
    view_.setEquality(order.filterField, [this] { return resetValue_; });
  if (config_.rowFilter)
    view_.setFilter(config_.rowFilter);
}

void BrowseList::OpenBrowseView() {
  CLOSE(view_);
  SetViewOrder();
  SET(view_);
  if (ERRORCODE() != 0)
    ShowStandardMessage0(36);
  OPEN(view_);
  if (ERRORCODE() != 0)
    ShowStandardMessage0(36);
}

void BrowseList::ResetBrowse(bool byPosition) {
  CLOSE(view_);
  SetViewOrder();
  if (byPosition) {
    saved_ = POSITION(*ActiveOrder().key);
    RESET(view_, saved_);
  } else {
    if (Filtered() && config_.presetFilter)
      config_.presetFilter(resetValue_);
    SET(view_, *ActiveOrder().key);
  }
  if (ERRORCODE() != 0)
    ShowStandardMessage0(36);
  OPEN(view_);
  if (ERRORCODE() != 0)
    ShowStandardMessage0(36);
  ClearRows();
  pageGuard_ = false;
  FetchBrowseRecord(1, true);
  pageGuard_ = true;
  if (failed_)
    return;
  fillMode_ = rows_.empty() ? FillMode::FromEnd : FillMode::Around;
  FillBrowsePage();
  PostNewSelection();
}

void BrowseList::FillBrowsePage() {
  WaitCursor wait;
  if (fillMode_ == FillMode::Around) {
    saved_ = POSITION(view_);
    RESET(view_, saved_);
  } else if (!rows_.empty()) {
    const int row = current_ >= 1 && current_ <= RowCount() ? current_ : RowCount();
    saved_ = rows_[size_t(row - 1)].position;
    RESET(view_, rows_.front().position);
  } else {
    saved_.clear();
    OpenBrowseView();
  }
  ClearRows();
  const int left = FetchBrowseRecord(Visible(), fillMode_ != FillMode::FromEnd);
  if (!failed_ && !saved_.isEmpty() && left > 0) {
    if (rows_.empty())
      OpenBrowseView();
    FetchBrowseRecord(left, fillMode_ == FillMode::FromEnd);
  }
  if (!rows_.empty()) {
    if (!saved_.isEmpty()) {
      current_ = RowCount();
      for (int i = 0; i < RowCount(); ++i) {
        if (rows_[size_t(i)].position == saved_) {
          current_ = i + 1;
          break;
        }
      }
    } else {
      current_ = fillMode_ == FillMode::FromEnd ? RowCount() : 1;
    }
    SelectCurrent();
    CopyRowToBuffer(current_);
    for (int button : {config_.changeButton, config_.deleteButton}) {
      if (button)
        window_.Enable(button);
    }
  } else {
    ClearBuffer();
    current_ = 0;
    for (int button : {config_.changeButton, config_.deleteButton}) {
      if (button)
        window_.Disable(button);
    }
  }
  fillMode_ = FillMode::None;
}

int BrowseList::FetchBrowseRecord(int count, bool down) {
  QString edge;
  if (!rows_.empty()) {
    edge = down ? rows_.back().position : rows_.front().position;
    RESET(view_, edge);
  }
  bool first = true;
  while (count > 0) {
    if (down)
      NEXT(view_);
    else
      PREVIOUS(view_);
    if (ERRORCODE() == 33) {
      if (Filtered() && config_.restoreReset)
        config_.restoreReset(resetValue_);
      break;
    }
    if (ERRORCODE() != 0) {
      ReadFailed();
      return count;
    }
    const bool skip = first && !edge.isEmpty() && POSITION(view_) == edge;
    first = false;
    if (skip)
      continue;
    if (pageGuard_ && RowCount() >= Visible())
      DropRow(down);
    AddRow(down);
    --count;
  }
  pageGuard_ = true;
  return count;
}

void BrowseList::ReadFailed() {
  failed_ = true;
  ShowStandardMessage1(35, config_.label);
  window_.Post(EventKind::CloseWindow);
}

void BrowseList::ComputeThumbSteps() {
  textSteps_.clear();
  numberSteps_.clear();
  const BrowseOrder &order = ActiveOrder();
  if (order.thumb == ThumbKind::None || failed_)
    return;
  // The two reads go through the record buffer; the current row's record is put back.
  const FileDecl &decl = config_.file->decl();
  std::unique_ptr<void, void (*)(void *)> keep(decl.ops.make(), decl.ops.destroy);
  decl.ops.copy(keep.get(), config_.file->buffer());
  QString firstText, lastText;
  double firstNumber = 0, lastNumber = 0;
  bool ok = true;
  for (bool last : {true, false}) {
    OpenBrowseView();
    if (last)
      PREVIOUS(view_);
    else
      NEXT(view_);
    if (ERRORCODE() == 33) {
      if (Filtered() && config_.restoreReset)
        config_.restoreReset(resetValue_);
      ok = false;
      break;
    }
    if (ERRORCODE() != 0) {
      ReadFailed();
      ok = false;
      break;
    }
    (last ? lastText : firstText) = order.locatorText ? order.locatorText() : QString();
    (last ? lastNumber : firstNumber) = order.locatorNumber ? order.locatorNumber() : 0;
  }
  decl.ops.copy(config_.file->buffer(), keep.get());
  if (!ok)
    return;
  if (order.thumb == ThumbKind::Text) {
    InitStringSteps(firstText, lastText, order.stepLength);
    for (int i = 0; i < kSteps; ++i)
      textSteps_.push_back(UPPER(NextStringStep()));
  } else {
    InitNumericSteps(firstNumber, lastNumber);
    for (int i = 0; i < kSteps; ++i)
      numberSteps_.push_back(NextNumericStep());
  }
}

int BrowseList::ThumbFromRecord() const {
  const BrowseOrder &order = ActiveOrder();
  if (order.thumb == ThumbKind::Text && !textSteps_.empty()) {
    const QString value = UPPER(order.locatorText());
    for (int k = 1; k <= kSteps; ++k) {
      if (!(textSteps_[size_t(k - 1)] < value))
        return k == 1 ? 0 : k;
    }
    return kSteps + 1;
  }
  if (order.thumb == ThumbKind::NumericDescending && !numberSteps_.empty()) {
    const double value = order.locatorNumber();
    int k = kSteps;
    while (k >= 1 && numberSteps_[size_t(k - 1)] < value)
      --k;
    return k <= 1 ? 0 : k;
  }
  return thumb_;
}

void BrowseList::RefreshBrowse() {
  if (window_.InAcceptAllPass())
    return;
  CheckBrowseOrder();
  list_.SetThumb(thumb_);
  window_.Display();
  force_ = false;
}

void BrowseList::CheckBrowseOrder() {
  const int previous = order_;
  if (config_.sheet && config_.orderOfTab) {
    const int tab = window_.Get<SheetControl>(config_.sheet).Choice();
    order_ = config_.orderOfTab(tab);
  } else {
    order_ = 1;
  }
  const QString source = Filtered() && config_.resetSource ? CLIP(config_.resetSource()) : QString();
  const bool filterChanged = previous == order_ && Filtered() && source != CLIP(resetValue_);
  if (previous == order_ && !filterChanged && !force_) {
    if (!rows_.empty())
      CopyRowToBuffer(current_);
    return;
  }
  failed_ = false;
  if (Filtered())
    resetValue_ = source;
  TakeSelectedRow();
  OpenBrowseView();
  if (previous == 0 && localRequest_ != 4) {
    ClearRows();
    FillBrowsePage();
    PostNewSelection();
  } else if (previous != 0 && filterChanged) {
    ClearRows();
    FillBrowsePage();
    PostNewSelection();
  } else {
    ResetBrowse(false);
  }
  if (!rows_.empty())
    CopyRowToBuffer(current_);
  ComputeThumbSteps();
}

void BrowseList::TakeSelectedRow() {
  if (rows_.empty())
    return;
  const int selected = list_.SelectedRow();
  if (selected >= 1 && selected <= RowCount())
    current_ = selected;
  current_ = std::clamp(current_, 1, RowCount());
  GET(*config_.file, rows_[size_t(current_ - 1)].pointer);
  if (ERRORCODE() != 0) {
    // The record is gone: the buffer keeps the row's fields but no longer names a record,
    // so that no write meant for it can reach another one.
    CopyRowToBuffer(current_);
    GET(*config_.file, 0);
  }
}

void BrowseList::OnNewSelection(const Event &event) {
  selectionPending_ = false;
  if (event.key == KEY_MOUSE_RIGHT) {
    BrowsePopupMenu();
    return;
  }
  if (!rows_.empty()) {
    const int selected = list_.SelectedRow();
    if (selected >= 1 && selected <= RowCount())
      current_ = selected;
    CopyRowToBuffer(current_);
    if (RowCount() >= Visible())
      thumb_ = ThumbFromRecord();
  }
  // The scroll bar shows only while the list is full, an empty list's included.
  if (list_.ScrollBarShown() != (RowCount() >= Visible()))
    list_.ShowScrollBar(RowCount() >= Visible());
  RefreshBrowse();
}

void BrowseList::OnScroll(EventKind kind) {
  if (rows_.empty())
    return;
  const int selected = list_.SelectedRow();
  if (selected >= 1 && selected <= RowCount())
    current_ = selected;
  bool top = false, bottom = false;
  switch (kind) {
  case EventKind::ScrollUp:
    if (current_ > 1)
      --current_;
    else
      top = FetchBrowseRecord(1, false) > 0;
    break;
  case EventKind::ScrollDown:
    if (current_ < RowCount()) {
      ++current_;
    } else {
      bottom = FetchBrowseRecord(1, true) > 0;
      current_ = RowCount();
    }
    break;
  case EventKind::PageUp: {
    const int left = FetchBrowseRecord(Visible(), false);
    top = left > 0;
    current_ = std::max(1, current_ - left);
    break;
  }
  case EventKind::PageDown: {
    const int left = FetchBrowseRecord(Visible(), true);
    bottom = left > 0;
    current_ = std::min(RowCount(), current_ + left);
    break;
  }
  case EventKind::ScrollTop:
    ClearRows();
    OpenBrowseView();
    FetchBrowseRecord(Visible(), true);
    current_ = rows_.empty() ? 0 : 1;
    top = true;
    break;
  default: // ScrollBottom
    ClearRows();
    OpenBrowseView();
    FetchBrowseRecord(Visible(), false);
    current_ = RowCount();
    bottom = true;
    break;
  }
  if (ActiveOrder().thumb == ThumbKind::None) {
    if (RowCount() < Visible() || top)
      thumb_ = 0;
    else
      thumb_ = bottom ? 100 : 50;
  }
  if (rows_.empty()) {
    fillMode_ = FillMode::None;
    FillBrowsePage();
  } else {
    SelectCurrent();
  }
  PostNewSelection();
}

void BrowseList::OnThumbDrag(int position) {
  const BrowseOrder &order = ActiveOrder();
  if (order.thumb == ThumbKind::None)
    return;
  if (position <= 1) {
    window_.Post(EventKind::ScrollTop, config_.list);
    return;
  }
  if (position >= kSteps) {
    window_.Post(EventKind::ScrollBottom, config_.list);
    return;
  }
  if (textSteps_.empty() && numberSteps_.empty())
    return;
  const size_t step = size_t(position - 1);
  order.setStep(step < textSteps_.size() ? textSteps_[step] : QString(),
                step < numberSteps_.size() ? numberSteps_[step] : 0);
  ResetBrowse(false);
}

void BrowseList::OnAlertKey(const Event &event) {
  auto press = [this](int button) {
    if (button)
      window_.Post(EventKind::Accepted, button);
  };
  if (!rows_.empty()) {
    const int selected = list_.SelectedRow();
    if (selected >= 1 && selected <= RowCount())
      current_ = selected;
    if (event.key == KEY_MOUSE_LEFT2) {
      CopyRowToBuffer(current_);
      press(config_.doubleClickButton);
    } else if (event.key == KEY_INSERT) {
      press(config_.insertButton);
    } else if (event.key == KEY_DELETE) {
      press(config_.deleteButton);
    } else if (event.key == KEY_CTRL_ENTER) {
      press(config_.changeButton);
    } else if (event.ch != 0 && !QChar(event.ch).isSpace() && ActiveOrder().locate) {
      ActiveOrder().locate(QChar(event.ch));
      ResetBrowse(false);
    }
  } else if (event.key == KEY_INSERT) {
    press(config_.insertButton);
  }
  PostNewSelection();
}

void BrowseList::BrowsePopupMenu() {
  if (!config_.popupText)
    return;
  const int item = POPUP(config_.popupText(!rows_.empty()));
  if (item >= 1 && item <= int(config_.popupButtons.size()) && config_.popupButtons[size_t(item - 1)])
    window_.Post(EventKind::Accepted, config_.popupButtons[size_t(item - 1)]);
}

void BrowseList::Insert() {
  GET(*config_.file, 0);
  ClearBuffer();
  if (Filtered() && config_.presetFilter)
    config_.presetFilter(resetValue_);
  CallUpdateProcedure(1);
}

void BrowseList::Change() {
  if (!rows_.empty())
    CallUpdateProcedure(2);
}

void BrowseList::Delete() {
  if (!rows_.empty())
    CallUpdateProcedure(3);
}

void BrowseList::CallUpdateProcedure(int request) {
  if (!config_.update)
    return;
  localRequest_ = request;
  CLOSE(view_);
  GlobalRequest = request;
  config_.update();
  localResponse_ = GlobalResponse;
  OpenBrowseView();
  failed_ = false;
  if ((request == 1 || request == 2) && localResponse_ == 1) {
    ResetBrowse(true);
  } else {
    if (request == 3 && localResponse_ == 1 && current_ >= 1 && current_ <= RowCount()) {
      rows_.erase(rows_.begin() + (current_ - 1));
      list_.RemoveRow(current_);
    }
    fillMode_ = FillMode::None;
    FillBrowsePage();
  }
  ComputeThumbSteps();
  PostNewSelection();
  window_.Select(config_.list);
  localRequest_ = openingRequest_;
  localResponse_ = 2;
  RefreshBrowse();
}

void BrowseList::PostNewSelection() {
  if (selectionPending_)
    return;
  selectionPending_ = true;
  window_.Post(EventKind::NewSelection, config_.list);
}

void BrowseList::ClearRows() {
  rows_.clear();
  list_.ClearRows();
}

void BrowseList::AddRow(bool atEnd) {
  DataFile &file = *config_.file;
  const FileDecl &decl = file.decl();
  Row row;
  row.record = std::shared_ptr<void>(decl.ops.make(), decl.ops.destroy);
  decl.ops.copy(row.record.get(), file.buffer());
  row.position = POSITION(view_);
  row.pointer = POINTER(file);
  const QStringList cells = config_.cells();
  if (atEnd) {
    rows_.push_back(std::move(row));
    list_.AppendRow(cells);
  } else {
    rows_.push_front(std::move(row));
    list_.InsertRow(1, cells);
  }
}

void BrowseList::DropRow(bool first) {
  if (rows_.empty())
    return;
  if (first) {
    rows_.pop_front();
    list_.RemoveRow(1);
  } else {
    rows_.pop_back();
    list_.RemoveRow(list_.RowCount());
  }
}

void BrowseList::CopyRowToBuffer(int row) {
  if (row < 1 || row > RowCount())
    return;
  const FileDecl &decl = config_.file->decl();
  decl.ops.copy(config_.file->buffer(), rows_[size_t(row - 1)].record.get());
}

void BrowseList::ClearBuffer() {
  DataFile &file = *config_.file;
  CLEAR(file);
  if (file.decl().memo)
    file.decl().memo->set(file.buffer(), QString());
}

void BrowseList::SelectCurrent() {
  list_.SetSelectedRow(current_);
}

} // namespace vx
