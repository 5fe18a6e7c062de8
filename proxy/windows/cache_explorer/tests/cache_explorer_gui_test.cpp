#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/net/engine_cache_links.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/search/filter_dates.h"
#include "proxy/platform/dialog_sink.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "proxy/windows/cache_explorer/cache_form.h"
#include "proxy/windows/cache_explorer/cache_grid_model.h"
#include "proxy/windows/cache_explorer/cache_prop_form.h"
#include "proxy/windows/cache_explorer/dropdown_history.h"
#include "proxy/windows/cache_explorer/filter_form.h"
#include "proxy/windows/cache_explorer/grid_sel_form.h"
#include "proxy/windows/cache_explorer/save_as_name.h"
#include "proxy/windows/cache_explorer/sort_form.h"

#include "support/recording_file_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace ql {
namespace {

constexpr int32_t kHtml = 1, kGif = 2, kPlain = 4;

QByteArray Read(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

// The Cache Explorer with its dialogs over a cache in a temporary data directory.
class CacheExplorerTest : public ::testing::Test {
protected:
  CacheExplorerTest()
      : registry_(dir_.filePath("registry.reg")), settings_(kQuenlarkSettingsKey, registry_),
        cache_(settings_, EngineCacheLinks()) {
    ResetEngineState();
    DataDirectory = dir_.filePath("data") + "/";
    cache_.LoadCacheIndex();
  }
  ~CacheExplorerTest() override {
    Close();
    ResetEngineState();
  }

  void Open() {
    gridSel_ = std::make_unique<TGridSelForm>(settings_);
    form_ = std::make_unique<TCacheForm>(settings_, cache_, *gridSel_);
    filter_ = std::make_unique<TFilterForm>(settings_, *form_, form_.get());
    sort_ = std::make_unique<TSortForm>(settings_, *form_, form_.get());
    properties_ = std::make_unique<TCachePropForm>(settings_, cache_, form_.get());
    form_->SetDialogs(filter_.get(), sort_.get(), properties_.get());
  }
  void Close() {
    properties_.reset();
    sort_.reset();
    filter_.reset();
    form_.reset();
    gridSel_.reset();
  }

  void Add(int32_t id, const QByteArray &url, int32_t mime, const QByteArray &title = {}, int hits = 0,
           uint8_t type = Normal, const QByteArray &body = "<html>body</html>") {
    TCacheItem item;
    item.ID = id;
    item.URL = url;
    item.MimeIndex = mime;
    item.Title = title;
    item.Hits = hits;
    item.EntryType = type;
    item.Length = static_cast<int32_t>(body.size());
    item.Retrieved = 45000 + id;
    item.LastAccessed = 45100 + id;
    item.Status = 200;
    cache_.Index().Put(std::move(item));
    Write(cache_.Store().BodyPath(id), body);
  }

  QString Cell(int row, int col) const { return form_->Model().CacheGridCellText(col, row + 1); }
  int Rows() const { return form_->Model().rowCount(); }
  std::vector<int32_t> ViewIds() const {
    std::vector<int32_t> ids;
    for (const TCacheItem *item : form_->View().Items())
      ids.push_back(item == nullptr ? 0 : item->ID);
    return ids;
  }
  void SelectRows(std::initializer_list<int> rows) {
    for (int row : rows)
      form_->Grid()->selectionModel()->select(form_->Model().index(row, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }

  QTemporaryDir dir_;
  Registry registry_;
  TRegIniFile settings_;
  TProxyCache cache_;
  RecordingDialogSink dialogs_;
  test::RecordingFileDialogs files_;
  std::unique_ptr<TGridSelForm> gridSel_;
  std::unique_ptr<TCacheForm> form_;
  std::unique_ptr<TFilterForm> filter_;
  std::unique_ptr<TSortForm> sort_;
  std::unique_ptr<TCachePropForm> properties_;
};

TEST_F(CacheExplorerTest, ListsSortsAndFiltersWhatTheCacheHolds) {
  Add(1, "http://b.test:80/news.html", kHtml, "Evening News", 5);
  Add(2, "http://a.test:80/pics/logo.gif", kGif, "", 9, Normal, "GIF89a");
  Add(3, "http://c.test:80/notes.txt", kPlain, "", 1, Normal, "notes");
  Add(4, "http://d.test:80/untitled.html", kHtml, "", 3, Normal, "<html>x</html>");
  Add(5, "http://e.test:80/nothing", 0);
  Open();
  form_->show();

  // The first showing builds the view: every entry with a MIME type, by URL ascending.
  EXPECT_EQ(form_->Model().Headings(), (QStringList{"URL", "Title"}));
  EXPECT_EQ(ViewIds(), (std::vector<int32_t>{2, 1, 3, 4}));
  EXPECT_EQ(Rows(), 4);
  EXPECT_EQ(Cell(1, 0), "http://b.test:80/news.html");
  EXPECT_EQ(Cell(1, 1), "Evening News");
  EXPECT_EQ(Cell(3, 1), "untitled.html");
  EXPECT_EQ(Cell(0, 1), "logo.gif");
  EngineSettings.ShowFilenames = false;
  EXPECT_EQ(Cell(0, 1), "");
  EngineSettings.ShowFilenames = true;
  form_->ShowRowStatus(0);
  EXPECT_EQ(form_->StatusText(0), " image/gif");
  EXPECT_EQ(form_->StatusText(1), " 6 bytes");
  EXPECT_EQ(form_->StatusText(2), " Retrieval Date: " + DateToStr(45002));

  // Only Hits and URL chosen: URL comes first.
  for (std::size_t i = 0; i < 8; ++i)
    gridSel_->Box(i)->setChecked(i == 6 || i == 0);
  gridSel_->OKButtonClick();
  form_->SetupColumns();
  EXPECT_EQ(form_->Model().Headings(), (QStringList{"URL", "Hits"}));
  EXPECT_EQ(Cell(0, 1), "9");
  for (std::size_t i = 0; i < 8; ++i)
    gridSel_->Box(i)->setChecked(false);
  gridSel_->OKButtonClick();
  ASSERT_EQ(dialogs_.Requests().size(), 1u);
  EXPECT_EQ(dialogs_.Requests()[0].text, "At least one field must be checked");

  // Sort by each key; the same key with the order switched only reverses the list.
  const std::vector<std::vector<int32_t>> expected{
      {2, 1, 3, 4}, {1, 2, 3, 4}, {1, 2, 3, 4}, {3, 2, 4, 1}, {3, 4, 1, 2}};
  for (int key = 1; key <= 5; ++key) {
    sort_->Choose(key, 0);
    sort_->OKButtonClick();
    EXPECT_EQ(ViewIds(), expected[key - 1]) << key;
    EXPECT_EQ(form_->SortedBy, key);
  }
  sort_->Choose(5, 1);
  sort_->OKButtonClick();
  EXPECT_EQ(ViewIds(), (std::vector<int32_t>{2, 1, 4, 3}));

  // A filter by title narrows the view, sorted by the current order, and is remembered.
  filter_->TitleSearchEdit->setEditText("news");
  EXPECT_TRUE(filter_->OKButtonClick());
  EXPECT_EQ(ViewIds(), (std::vector<int32_t>{1}));
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(filter_->TitleSearchEdit->itemText(0), "news");
  filter_->TitleSearchEdit->setEditText("");
  filter_->FromDateEdit->setText("not a date");
  EXPECT_FALSE(filter_->OKButtonClick());
  EXPECT_EQ(dialogs_.Requests().back().text, "Invalid From date");
  filter_->FromDateEdit->setText("yesterday");
  filter_->TextCB->setChecked(false);
  filter_->ImagesCB->setChecked(false);
  filter_->VideoCB->setChecked(false);
  filter_->AudioCB->setChecked(false);
  filter_->OtherCB->setChecked(false);
  EXPECT_FALSE(filter_->OKButtonClick());
  EXPECT_EQ(dialogs_.Requests().back().text, "At least one file type must be selected");

  // All shows the whole cache again; Unseen keeps the entries not yet looked at.
  form_->ShowAllButtonClick();
  EXPECT_EQ(Rows(), 4);
  cache_.Index().FindCacheItemById(3)->Seen = 0;
  form_->SpeedButton1Click();
  EXPECT_EQ(ViewIds(), (std::vector<int32_t>{3}));

  // The Sort and Filter dialogs keep their choices and histories for the next start.
  Close();
  EXPECT_EQ(settings_.ReadInteger("Cache Explorer Properties", "SortedBy", 0), 5);
  EXPECT_EQ(settings_.ReadInteger("Cache Explorer Properties", "SortDirection", 0), 1);
  EXPECT_EQ(settings_.ReadString("Filter", "TitleSearchEdit 0", ""), "news");
  EXPECT_FALSE(settings_.ReadBool("Filter", "Text", true));
}

TEST_F(CacheExplorerTest, DeleteRemovesTheSelectionFromTheCacheAfterAsking) {
  Add(1, "http://a.test:80/1.html", kHtml, "One");
  Add(2, "http://a.test:80/2.html", kHtml, "Two", 0, Preserved);
  Add(3, "http://a.test:80/3.html", kHtml, "Three");
  Add(4, "http://a.test:80/4.html", kHtml, "Four");
  Open();
  form_->show();
  const int64_t total = cache_.Index().CacheTotalSize();
  SelectRows({0, 1, 3});

  dialogs_.Answer(DialogButton::Cancel);
  form_->Delete2Click();
  ASSERT_EQ(dialogs_.Requests().size(), 1u);
  EXPECT_EQ(dialogs_.Requests()[0].text, "Delete selected cache items?");
  EXPECT_EQ(dialogs_.Requests()[0].kind, DialogKind::Confirmation);
  EXPECT_EQ(dialogs_.Requests()[0].buttons, DialogButtons::OkCancel);
  EXPECT_EQ(cache_.Index().Count(), 4u);

  dialogs_.Answer(DialogButton::Ok);
  form_->Delete2Click();
  EXPECT_EQ(cache_.Index().Count(), 1u);
  EXPECT_NE(cache_.Index().FindCacheItemById(3), nullptr);
  EXPECT_FALSE(QFile::exists(cache_.Store().BodyPath(1)));
  EXPECT_FALSE(QFile::exists(cache_.Store().BodyPath(2)));
  // The Preserved entry never counted towards the total, which counts the disk's blocks.
  EXPECT_EQ(cache_.Index().CacheTotalSize(), total - 2 * cache_.Index().SpaceOf(17));
  EXPECT_EQ(ViewIds(), (std::vector<int32_t>{3}));
  EXPECT_EQ(Rows(), 1);
}

TEST_F(CacheExplorerTest, RowsOfEntriesTheCacheFreesSaySoAtOnce) {
  for (int32_t id = 1; id <= 3; ++id)
    Add(id, "http://a.test:80/" + QByteArray::number(id) + ".html", kHtml, "Page");
  Open();
  form_->show();
  // The cache trims itself below its size limit: the least recently accessed entry goes.
  cache_.Store().SetMaxCacheSize(2 * cache_.Index().SpaceOf(17));
  cache_.Store().TrimCache();
  EXPECT_EQ(form_->View().At(0), nullptr);
  EXPECT_EQ(Cell(0, 0), "This item is no longer available");
  EXPECT_EQ(Cell(0, 1), "");
  form_->ShowRowStatus(0);
  EXPECT_EQ(form_->StatusText(2), " This item is no longer in the cache");
  // A view shown again leaves the row out.
  form_->ShowItems();
  EXPECT_EQ(ViewIds(), (std::vector<int32_t>{2, 3}));
}

TEST_F(CacheExplorerTest, SaveAsAddsTheExtensionBeforeAskingAndReportsAFailedCopy) {
  EXPECT_EQ(ProposedSaveName("http://h.test:80/docs/longfilename.shtml?page=2"), "longfile.sht");
  EXPECT_EQ(ProposedSaveName("http://h.test:80/"), "");
  EXPECT_EQ(SaveFilterIndex("x.GIF"), 3);
  EXPECT_EQ(SaveFilterIndex("longfile.sht"), 5);
  Add(1, "http://h.test:80/docs/index.htm?x=1", kHtml, "Index", 0, Normal, "new body");
  Open();
  QDir(dir_.path()).mkpath("out");
  Write(dir_.filePath("out/page.htm"), "old body");

  files_.Answer(dir_.filePath("out/page"), 1);
  dialogs_.Answer(DialogButton::No);
  EXPECT_FALSE(properties_->SaveAs(1));
  ASSERT_EQ(files_.Requests().size(), 1u);
  EXPECT_EQ(files_.Requests()[0].title, "Save Cached File As");
  EXPECT_EQ(files_.Requests()[0].fileName, "index.htm");
  EXPECT_EQ(files_.Requests()[0].filterIndex, 1);
  ASSERT_EQ(dialogs_.Requests().size(), 1u);
  EXPECT_EQ(dialogs_.Requests()[0].text,
            dir_.filePath("out/page.htm") + " already exists.\nDo you want to replace it?");
  EXPECT_EQ(Read(dir_.filePath("out/page.htm")), "old body");

  files_.Answer(dir_.filePath("out/page"), 1);
  dialogs_.Answer(DialogButton::Yes);
  EXPECT_TRUE(properties_->SaveAs(1));
  EXPECT_EQ(Read(dir_.filePath("out/page.htm")), "new body");
  EXPECT_EQ(properties_->SaveAsInitialDir(), dir_.filePath("out"));

  files_.Answer(dir_.filePath("gone/page.txt"), 2);
  EXPECT_FALSE(properties_->SaveAs(1));
  EXPECT_EQ(dialogs_.Requests().back().kind, DialogKind::Error);
  EXPECT_EQ(dialogs_.Requests().back().text,
            "Unable to save the cached file as " + dir_.filePath("gone/page.txt") + ".");

  properties_->ShowCacheItemProperties(*cache_.Index().FindCacheItemById(1));
  EXPECT_EQ(properties_->Field("Filename"), "1.ADL");
  EXPECT_EQ(properties_->Field("Length"), "8 bytes");
  EXPECT_EQ(properties_->Field("Last Modified"), "");
  Close();
  EXPECT_EQ(settings_.ReadString("Cache Explorer Properties", "SaveAsInitialDir", ""), dir_.filePath("gone"));
}

TEST_F(CacheExplorerTest, ImportShowsTheNewEntriesAndSaysWhatWasSkipped) {
  Add(1, "http://a.test:80/1.html", kHtml, "One");
  Open();
  form_->show();
  QDir(dir_.path()).mkpath("browser");
  Write(dir_.filePath("browser/x1.htm"), "<title>From the browser</title>");
  Write(dir_.filePath("browser/index"),
        "MCOM-CACHE\n1\t2\t3\tx1.htm\thttp://b.test/x.htm\ttext/html\t7\t8\n");
  files_.Answer(dir_.filePath("browser/index"));
  form_->Import1Click();
  EXPECT_EQ(files_.Requests()[0].title, "Import Cache");
  EXPECT_EQ(files_.Requests()[0].filter, "Netscape Cache File|fat;fat.db");
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Cell(1, 1), "From the browser");
  EXPECT_TRUE(dialogs_.Requests().empty());

  // A binary index whose only page is damaged imports nothing and says so.
  QByteArray damaged(8192, '\0');
  damaged[4096] = 5;
  Write(dir_.filePath("browser/fat.db"), damaged);
  form_->ImportFrom(dir_.filePath("browser/fat.db"));
  ASSERT_EQ(dialogs_.Requests().size(), 1u);
  EXPECT_EQ(dialogs_.Requests()[0].kind, DialogKind::Warning);
  EXPECT_TRUE(dialogs_.Requests()[0].text.contains("1 of its records could not be read"))
      << dialogs_.Requests()[0].text.toStdString();
}

TEST_F(CacheExplorerTest, TheBookmarksListsShowASitesOrABookmarksAutobrowseEntries) {
  Add(1, "http://a.test:80/index.html", kHtml, "A");
  Add(2, "http://b.test:80/index.html", kHtml, "B");
  Add(3, "http://b.test:80/pic.gif", kGif, "", 0, Auto);
  Add(4, "http://b.test:80/old.html", kHtml, "Old", 0, Auto);
  const auto mark = [&](int32_t id, int32_t generation) {
    cache_.Index().FindCacheItemById(id)->BMSerial = 9;
    cache_.Index().FindCacheItemById(id)->BMGeneration = generation;
  };
  mark(3, 2);
  mark(4, 1);
  Open();
  form_->ListCachedItems("http://b.test/start.html");
  EXPECT_TRUE(form_->isVisible());
  EXPECT_EQ(ViewIds(), (std::vector<int32_t>{2, 4, 3}));
  form_->ShowAutoItems(9, 2, true);
  EXPECT_EQ(ViewIds(), (std::vector<int32_t>{4}));

  // A bookmark dropped on the grid lists its current Autobrowse entries.
  QMimeData bookmark;
  bookmark.setData(kBookmarkMimeType, "9 2");
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &bookmark, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(form_->Grid()->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &bookmark, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(form_->Grid()->viewport(), &drop);
  EXPECT_EQ(ViewIds(), (std::vector<int32_t>{3}));
}

// F2, Del and Ctrl+A act as soon as the list has entries, also after a menu found it empty.
TEST_F(CacheExplorerTest, KeysFollowTheListAsItChanges) {
  Open();
  form_->show();
  form_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  for (QMenu *menu : form_->menuBar()->findChildren<QMenu *>()) {
    if (menu->title() == "&Edit") {
      menu->popup(QPoint(0, 0));
      menu->hide();
    }
  }
  Add(1, "http://a.test:80/1.html", kHtml, "One");
  Add(2, "http://a.test:80/2.html", kHtml, "Two");
  QTableView *grid = form_->Grid();
  QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier); // All
  ASSERT_EQ(Rows(), 2);
  QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(grid->selectionModel()->selectedRows().size(), 2);

  dialogs_.Answer(DialogButton::Cancel);
  QTest::keyClick(grid, Qt::Key_Delete);
  ASSERT_EQ(dialogs_.Requests().size(), 1u);
  EXPECT_EQ(dialogs_.Requests()[0].text, "Delete selected cache items?");
  bool shown = false;
  QTimer::singleShot(0, [&] {
    if (QApplication::activeModalWidget() == properties_.get()) {
      shown = true;
      properties_->reject();
    }
  });
  QTest::keyClick(grid, Qt::Key_F2);
  EXPECT_TRUE(shown);
  EXPECT_EQ(properties_->Field("Title"), "One");

  // Emptied again, the list's commands rest.
  cache_.Index().Remove(1);
  cache_.Index().Remove(2);
  QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(grid, Qt::Key_Delete);
  EXPECT_EQ(dialogs_.Requests().size(), 1u);
}

// The status bar tells of the row under the cursor or the current row, and of nothing once
// the list shown has neither: a filter that finds nothing empties it.
TEST_F(CacheExplorerTest, TheStatusBarBelongsToTheRowsShown) {
  Add(1, "http://a.test:80/1.html", kHtml, "One");
  Add(2, "http://a.test:80/2.html", kHtml, "Two");
  Open();
  form_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  QTableView *grid = form_->Grid();
  QTest::mouseMove(grid->viewport(), grid->visualRect(form_->Model().index(0, 0)).center());
  ASSERT_EQ(form_->StatusText(0), " text/html");
  ASSERT_EQ(form_->StatusText(1), " 17 bytes");

  filter_->TitleSearchEdit->setEditText("nothing like it");
  EXPECT_TRUE(filter_->OKButtonClick());
  ASSERT_EQ(form_->View().Count(), 0u);
  for (int panel = 0; panel < 3; ++panel)
    EXPECT_EQ(form_->StatusText(panel), "") << panel;
  // The blank row of the empty list tells of nothing either.
  QTest::mouseMove(grid->viewport(), grid->visualRect(form_->Model().index(0, 0)).center());
  EXPECT_EQ(form_->StatusText(2), "");

  // A row clicked is the current row; once it is gone from the list, nothing is.
  form_->ShowAllButtonClick();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                    grid->visualRect(form_->Model().index(1, 0)).center());
  EXPECT_EQ(form_->StatusText(2), " Retrieval Date: " + DateToStr(45002));
  cache_.Index().Remove(2);
  EXPECT_EQ(form_->StatusText(2), " This item is no longer in the cache");
  form_->ShowAllButtonClick();
  EXPECT_EQ(form_->StatusText(2), "");
}

// A row whose entry left the cache says so across the row, whole, however narrow its first
// column is.
TEST_F(CacheExplorerTest, TheNoteOfAGoneEntryShowsWhole) {
  for (int32_t id = 1; id <= 3; ++id)
    Add(id, "http://a.test:80/" + QByteArray::number(id) + ".html", kHtml, "Page");
  Open();
  for (std::size_t i = 0; i < 8; ++i)
    gridSel_->Box(i)->setChecked(true);
  gridSel_->OKButtonClick();
  form_->resize(560, 400);
  form_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  QTableView *grid = form_->Grid();
  cache_.Index().Remove(2);
  ASSERT_EQ(Cell(1, 0), "This item is no longer available");
  EXPECT_EQ(grid->columnSpan(1, 0), 8);
  const int needed = grid->fontMetrics().horizontalAdvance(Cell(1, 0));
  EXPECT_GE(grid->visualRect(form_->Model().index(1, 0)).width(), needed);
  // Opened, a gone row says so whole too; a view shown again has no such row.
  struct : TUrlOpener {
    void OpenURL(const QByteArray &, const QByteArray &) override {}
  } browser;
  form_->SetUrlOpener(&browser);
  cache_.Index().Remove(3);
  form_->StringGrid1DblClick(2);
  ASSERT_EQ(Cell(2, 0), "This object is no longer in the cache");
  EXPECT_GE(grid->visualRect(form_->Model().index(2, 0)).width(),
            grid->fontMetrics().horizontalAdvance(Cell(2, 0)));
  form_->ShowItems();
  EXPECT_EQ(grid->columnSpan(0, 0), 1);
}

// A mistyped date stays in its box, and OK names the box instead of searching without it.
TEST_F(CacheExplorerTest, AMistypedFilterDateIsKeptAndRefused) {
  Add(1, "http://a.test:80/1.html", kHtml, "One");
  Open();
  form_->show();
  filter_->show();
  filter_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(filter_.get()));
  const auto mistype = [this](QLineEdit *box, const char *text) {
    box->setFocus();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Tab); // leaving the box reads the date
    EXPECT_EQ(box->text(), text);
    QTest::mouseClick(filter_->OKButton(), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), box);
    box->clear();
  };
  mistype(filter_->FromDateEdit, "yesterdy");
  mistype(filter_->ToDateEdit, "last thursday");
  ASSERT_EQ(dialogs_.Requests().size(), 2u);
  EXPECT_EQ(dialogs_.Requests()[0].text, "Invalid From date");
  EXPECT_EQ(dialogs_.Requests()[1].text, "Invalid To date");
  EXPECT_TRUE(filter_->isVisible());
  // A word of the popup still becomes its date.
  filter_->FromDateEdit->setFocus();
  QTest::keyClicks(filter_->FromDateEdit, "Yesterday");
  QTest::keyClick(filter_->FromDateEdit, Qt::Key_Tab);
  EXPECT_EQ(filter_->FromDateEdit->text(), DateToStr(std::floor(Now()) - 1));
}

// With every column chosen, at any width of the window, each heading and each status text
// shows whole.
TEST_F(CacheExplorerTest, ColumnsAndStatusPanelsShowTheirTextsWhole) {
  // Enough rows for the vertical scroll bar, which narrows the room for the columns.
  for (int32_t id = 1; id <= 40; ++id)
    Add(id, "http://a.test:80/" + QByteArray::number(id) + ".html", kHtml, "Page");
  Open();
  for (std::size_t i = 0; i < 8; ++i)
    gridSel_->Box(i)->setChecked(true);
  gridSel_->OKButtonClick();
  form_->show();
  QTableView *grid = form_->Grid();
  ASSERT_EQ(form_->Model().columnCount(), 8);
  for (const int width : {0, 1000, 560}) {
    if (width > 0)
      form_->resize(width, 400);
    QCoreApplication::processEvents();
    int sum = 0;
    for (int col = 0; col < 8; ++col) {
      EXPECT_GE(grid->columnWidth(col), grid->horizontalHeader()->sectionSizeHint(col))
          << form_->Model().Headings()[col].toStdString() << " at width " << width;
      sum += grid->columnWidth(col);
    }
    if (width != 560) {
      EXPECT_EQ(sum, grid->viewport()->width()) << "stretched to fill the grid at width " << width;
    }
    EXPECT_TRUE(grid->verticalScrollBar()->isVisible()) << width;
  }

  const QList<QLabel *> panels = form_->statusBar()->findChildren<QLabel *>();
  ASSERT_EQ(panels.size(), 3);
  const auto whole = [&panels] {
    for (const QLabel *panel : panels) {
      if (panel->width() < panel->sizeHint().width())
        return false;
    }
    return true;
  };
  form_->ShowRowStatus(0);
  EXPECT_TRUE(whole());
  cache_.Index().Remove(1);
  form_->ShowRowStatus(0);
  EXPECT_EQ(form_->StatusText(2), " This item is no longer in the cache");
  EXPECT_TRUE(whole());
  for (QToolButton *button : form_->findChildren<QToolButton *>()) {
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(button, &enter);
    EXPECT_TRUE(whole()) << form_->StatusText(2).toStdString();
  }
}

// The import and Save As dialogs start in the home folder, then where a file was last chosen.
TEST_F(CacheExplorerTest, FileDialogsStartAtHomeOrInTheLastFolderUsed) {
  const test::TemporaryHome home(dir_.filePath("home"));
  Add(1, "http://a.test:80/1.html", kHtml, "One");
  Open();
  form_->Import1Click();
  ASSERT_EQ(files_.Requests().size(), 1u);
  EXPECT_EQ(files_.Requests()[0].filter, "Netscape Cache File|fat;fat.db");
  EXPECT_EQ(files_.Requests()[0].fileName, "") << "the filter's patterns are no file name";
  EXPECT_EQ(files_.Requests()[0].directory, dir_.filePath("home"));
  EXPECT_FALSE(properties_->SaveAs(1));
  EXPECT_EQ(files_.Requests()[1].directory, dir_.filePath("home"));

  QDir().mkpath(dir_.filePath("browser"));
  Write(dir_.filePath("browser/index"), "MCOM-CACHE\n");
  files_.Answer(dir_.filePath("browser/index"));
  form_->Import1Click();
  EXPECT_FALSE(properties_->SaveAs(1));
  ASSERT_EQ(files_.Requests().size(), 4u);
  EXPECT_EQ(files_.Requests()[3].directory, dir_.filePath("browser"));
}

TEST(DropdownHistory, KeepsTheSevenLatestTextsWithoutRepeats) {
  QStringList list{"g", "f", "e", "d", "c", "b", "a"};
  AddToDropdownList(list, "new");
  EXPECT_EQ(list, (QStringList{"new", "g", "f", "e", "d", "c", "b"}));
  AddToDropdownList(list, "d");
  EXPECT_EQ(list, (QStringList{"d", "new", "g", "f", "e", "c", "b"}));
  AddToDropdownList(list, "");
  AddToDropdownList(list, "d");
  EXPECT_EQ(list.size(), 7);
  EXPECT_EQ(list.front(), "d");
}

TEST_F(CacheExplorerTest, CancelStopsAFilterSearchAtOnce) {
  for (int32_t id = 1; id <= 40; ++id)
    Add(id, "http://a.test:80/" + QByteArray::number(id) + ".html", kHtml, "Page", 0, Normal, "needle");
  Open();
  form_->show();
  filter_->show();
  filter_->HTMLSearchEdit->setEditText("needle");
  // The user presses Cancel as soon as the search lets window messages run.
  QTimer::singleShot(0, filter_.get(), [this] { filter_->BitBtn1Click(); });
  EXPECT_TRUE(filter_->OKButtonClick());
  EXPECT_FALSE(filter_->isVisible());
  EXPECT_LT(form_->View().Count(), 40u);
  EXPECT_TRUE(filter_->OKButton()->isEnabled());
}

} // namespace
} // namespace ql
