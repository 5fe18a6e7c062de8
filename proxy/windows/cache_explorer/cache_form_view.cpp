#include "proxy/windows/cache_explorer/cache_form.h"

#include "proxy/engine/cache/cache_list_sort.h"
#include "proxy/engine/cache/latest_html_list.h"
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/http/text_routines.h"
#include "proxy/engine/http/url_split.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/search/cache_search.h"
#include "proxy/engine/search/go_on_flag.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/windows/cache_explorer/cache_grid_model.h"
#include "proxy/windows/cache_explorer/column_widths.h"
#include "proxy/windows/cache_explorer/filter_form.h"
#include "proxy/windows/cache_explorer/grid_columns.h"
#include "proxy/windows/cache_explorer/grid_sel_form.h"
#include "proxy/windows/cache_explorer/progress_panel.h"
#include "proxy/windows/cache_explorer/sort_form.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <vector>

namespace ql {

namespace {

const QString kGridSection = QStringLiteral("Cache Explorer Window Properties");

// Runs the view in a busy state: the grid disabled, the hourglass shown.
class TBusyGrid {
public:
  explicit TBusyGrid(QWidget *grid) : grid_(grid) {
    grid_->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  ~TBusyGrid() {
    QApplication::restoreOverrideCursor();
    grid_->setEnabled(true);
  }
  TBusyGrid(const TBusyGrid &) = delete;
  TBusyGrid &operator=(const TBusyGrid &) = delete;

private:
  QWidget *grid_;
};

} // namespace

void TCacheForm::BuildWholeView() {
  TCacheList list;
  list.reserve(cache_.Index().Count());
  for (const int32_t id : cache_.Index().Ids()) {
    TCacheItem *item = cache_.Index().FindCacheItemById(id);
    if (item->MimeIndex > 0)
      list.push_back(item);
  }
  view_.Assign(std::move(list));
  SortView(SortedBy, SortDirection);
}

void TCacheForm::ShowItems() {
  TBusyGrid busy(grid_);
  if (!view_.Exists())
    BuildWholeView();
  else
    view_.Change(PackList);
  model_->Reset();
  progressPanel_->hide();
  grid_->viewport()->update();
}

void TCacheForm::SortView(int key, int direction) {
  view_.Change([&](TCacheList &list) {
    switch (key) {
    case 2:
      SortCacheListByTitle(list, direction, EngineSettings.ShowFilenames);
      break;
    case 3:
      SortCacheListByDate(list, direction);
      break;
    case 4:
      SortCacheListByLength(list, direction);
      break;
    case 5:
      SortCacheListByHits(list, direction);
      break;
    default:
      SortCacheListByUrl(list, direction);
    }
  });
}

bool TCacheForm::RunSearch(const TSearch &search, TSearchWindow *window) {
  const bool completed = SearchCache(cache_.Store(), cache_.Mimes(), window, search, view_);
  SortView(SortedBy, SortDirection);
  return completed;
}

void TCacheForm::RunSearchAndShow(const TSearch &search) {
  progressPanel_->ShowProgressLine(false);
  progressPanel_->ShowCaption(QStringLiteral("Searching. Please wait..."));
  RunSearch(search, nullptr);
  progressPanel_->hide();
  progressPanel_->ShowProgressLine(true);
  if (isMinimized())
    showNormal();
  else if (isVisible())
    raise();
  else
    show();
  ShowItems();
}

void TCacheForm::ListCachedItems(const QByteArray &bookmarkUrl) {
  if (bookmarkUrl.isEmpty())
    return;
  QByteArray rest = ShortText(bookmarkUrl);
  QByteArray host;
  UrlSplitHost(rest, host);
  TSearch search;
  search.UrlText = host;
  RunSearchAndShow(search);
}

void TCacheForm::ShowAutoItems(int32_t serialId, int32_t generation, bool old) {
  TSearch search;
  search.AutoEntries = true;
  search.BookmarkId = serialId;
  search.Generation = static_cast<uint16_t>(generation);
  search.OldGenerations = old;
  RunSearchAndShow(search);
}

int TCacheForm::SetupColumns() {
  const QStringList headings = gridSel_.Headings();
  if (headings != model_->Headings()) {
    model_->SetHeadings(headings);
    for (int col = 0; col < headings.size(); ++col) {
      for (const TGridColumn &column : kGridColumns) {
        if (headings[col] == QLatin1String(column.heading))
          grid_->setColumnWidth(col, std::max(column.width, HeadingWidth(col)));
      }
    }
  }
  int sum = 0;
  for (int col = 0; col < headings.size(); ++col)
    sum += grid_->columnWidth(col);
  return sum;
}

int TCacheForm::HeadingWidth(int col) const {
  return std::max(0, grid_->horizontalHeader()->sectionSizeHint(col));
}

void TCacheForm::StretchColumns() {
  // Until the window shows, the grid has no width of its own to share out.
  if (!isVisible())
    return;
  const int columns = model_->columnCount();
  std::vector<int> widths, floors;
  for (int col = 0; col < columns; ++col) {
    widths.push_back(grid_->columnWidth(col));
    floors.push_back(HeadingWidth(col));
  }
  const int available = grid_->viewport()->width();
  const std::vector<int> shared = ShareWidth(widths, floors, available);
  int total = 0;
  for (int col = 0; col < columns; ++col) {
    grid_->setColumnWidth(col, shared[static_cast<std::size_t>(col)]);
    total += shared[static_cast<std::size_t>(col)];
  }
  // A stretched grid scrolls sideways only when even the headings do not fit.
  if (stretchAction_->isChecked())
    grid_->setHorizontalScrollBarPolicy(total > available ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void TCacheForm::ApplyStretch(bool stretched) {
  grid_->setHorizontalScrollBarPolicy(stretched ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
  if (stretched) {
    SetupColumns();
    StretchColumns();
  }
}

void TCacheForm::ReadGridLayout() {
  stretchAction_->setChecked(settings_.ReadBool(kGridSection, QStringLiteral("Stretch on resize"), true));
  SetupColumns();
  ApplyStretch(stretchAction_->isChecked());
  const int stored = settings_.ReadInteger(kGridSection, QStringLiteral("Column Count"), -1);
  const int columns = stored == -1 ? model_->columnCount() : std::min(stored, model_->columnCount());
  for (int col = 0; col < columns; ++col) {
    const int width = settings_.ReadInteger(kGridSection, QStringLiteral("Col %1 width").arg(col), -1);
    if (width != -1)
      grid_->setColumnWidth(col, width);
  }
}

void TCacheForm::WriteGridLayout() {
  try {
    settings_.WriteBool(kGridSection, QStringLiteral("Stretch on resize"), stretchAction_->isChecked());
    settings_.WriteInteger(kGridSection, QStringLiteral("Column Count"), model_->columnCount());
    for (int col = 0; col < model_->columnCount(); ++col)
      settings_.WriteInteger(kGridSection, QStringLiteral("Col %1 width").arg(col), grid_->columnWidth(col));
  } catch (const RegistryError &) {
    // The layout is kept for this run only.
  }
}

void TCacheForm::ShowAllButtonClick() {
  view_.Drop();
  ShowItems();
}

void TCacheForm::FilterButtonClick() {
  if (filter_ != nullptr)
    filter_->exec();
}

void TCacheForm::SortButtonClick() {
  if (sort_ != nullptr)
    sort_->exec();
}

void TCacheForm::SpeedButton1Click() {
  if (!view_.Exists())
    BuildWholeView();
  view_.Change([](TCacheList &list) {
    std::erase_if(list, [](const TCacheItem *item) { return item == nullptr || item->Seen != 0; });
  });
  ShowItems();
}

void TCacheForm::ShowFirstDocClick() {
  progressPanel_->SetPercent(0);
  progressPanel_->ShowCaption(QStringLiteral("Searching. Please wait..."));
  setEnabled(false);
  GoOnFlag = true;
  if (!view_.Exists())
    BuildWholeView();
  TPanelListProgress progress(*progressPanel_);
  BuildLatestHtmlList(&progress, view_, view_);
  progressPanel_->hide();
  SortView(SortedBy, SortDirection);
  ShowItems();
  setEnabled(true);
}

void TCacheForm::Headers1Click() {
  if (gridSel_.exec() != QDialog::Accepted)
    return;
  SetupColumns();
  ShowItems();
  StretchColumns();
}

void TCacheForm::Stretchtofit1Click() {
  ApplyStretch(stretchAction_->isChecked());
}

void TCacheForm::SelectAll1Click() {
  if (view_.Count() > 0)
    grid_->selectAll();
}

} // namespace ql
