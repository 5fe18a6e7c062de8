#include "library/core/browse_list.h"
#include "library/core/browse_vornix.h"
#include "library/core/dictionary.h"
#include "library/core/update_vornix.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/ini_file.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/desktop.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/window.h"
#include "support/browse_driver.h"
#include "support/gui_support.h"
#include "support/library_fixture.h"

#include "library/runtime/windows/scheduler.h"

#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace vx {
namespace {

// Twelve sites "A site" to "L site" in two categories, rated 0 to 11 (11 kept as 10).
class BrowseTest : public test::LibraryTest {
protected:
  void AddSites(int count = 12) {
    TakeFile(Categories());
    TakeFile(VORNIX());
    ASSERT_EQ(0, test::AddCategory("News"));
    ASSERT_EQ(0, test::AddCategory("Sport"));
    for (int i = 0; i < count; ++i) {
      const QChar letter = QChar(u'A' + i);
      ASSERT_EQ(0,
                test::AddSite(QString("http://site%1.example/").arg(letter), QString("%1 site").arg(letter),
                              i % 2 ? "Sport" : "News", std::min(i, 10), "http"));
    }
    ReleaseFile(VORNIX());
    ReleaseFile(Categories());
  }

  int Open() {
    const int thread = driver_.Start(BrowseVORNIX);
    driver_.ShowRows(thread, 5);
    return thread;
  }

  int RecordCount() {
    TakeFile(VORNIX());
    const int count = int(RECORDS(VORNIX()));
    ReleaseFile(VORNIX());
    return count;
  }
  QStringList Descriptions(int thread) const { return driver_.Column(thread, 1); }
  QString Current(int thread) const {
    const ListControl &list = driver_.List(thread);
    return list.Row(list.SelectedRow()).value(0);
  }
  void Key(int thread, char16_t ch) {
    Event event{EventKind::AlertKey, kBrowseList};
    event.key = ch;
    event.ch = ch;
    driver_.Send(thread, event);
  }
  void Tab(int thread, int tab) {
    driver_.WindowOf(thread).Get<SheetControl>(kBrowseSheet).SetChoice(tab);
    driver_.Send(thread, EventKind::NewSelection, kBrowseSheet);
  }

  test::TempSetup setup_;
  test::BrowseDriver driver_;
};

TEST_F(BrowseTest, LineStepsSlideThePageAtItsEdgesOnly) {
  AddSites();
  const int thread = Open();
  EXPECT_EQ(QStringList({"A site", "B site", "C site", "D site", "E site"}), Descriptions(thread));
  EXPECT_EQ(1, driver_.Browse(thread).CurrentRow());

  driver_.Send(thread, EventKind::ScrollUp, kBrowseList); // first row of the first page
  EXPECT_EQ("A site", Descriptions(thread).front());
  EXPECT_EQ(1, driver_.Browse(thread).CurrentRow());

  for (int i = 0; i < 4; ++i)
    driver_.Send(thread, EventKind::ScrollDown, kBrowseList);
  EXPECT_EQ("E site", Current(thread));
  EXPECT_EQ("A site", Descriptions(thread).front());

  driver_.Send(thread, EventKind::ScrollDown, kBrowseList); // last row: the page slides by one
  EXPECT_EQ(QStringList({"B site", "C site", "D site", "E site", "F site"}), Descriptions(thread));
  EXPECT_EQ(5, driver_.Browse(thread).CurrentRow());
  EXPECT_EQ("F site", Current(thread));

  driver_.Send(thread, EventKind::PageDown, kBrowseList);
  EXPECT_EQ(QStringList({"G site", "H site", "I site", "J site", "K site"}), Descriptions(thread));
  driver_.Send(thread, EventKind::PageDown, kBrowseList); // one record left: the row moves to the end
  EXPECT_EQ(QStringList({"H site", "I site", "J site", "K site", "L site"}), Descriptions(thread));
  EXPECT_EQ("L site", Current(thread));
  driver_.Send(thread, EventKind::ScrollDown, kBrowseList); // last row of the last page
  EXPECT_EQ("H site", Descriptions(thread).front());
  EXPECT_EQ("L site", Current(thread));

  driver_.Send(thread, EventKind::ScrollTop, kBrowseList);
  EXPECT_EQ("A site", Current(thread));
  driver_.Send(thread, EventKind::ScrollBottom, kBrowseList);
  EXPECT_EQ(QStringList({"H site", "I site", "J site", "K site", "L site"}), Descriptions(thread));
  EXPECT_EQ("L site", Current(thread));
  driver_.Close(thread);
}

TEST_F(BrowseTest, FewerRecordsThanRowsAreAllListedWithoutAScrollBar) {
  AddSites(3);
  const int thread = Open();
  EXPECT_EQ(QStringList({"A site", "B site", "C site"}), Descriptions(thread));
  EXPECT_FALSE(driver_.List(thread).ScrollBarShown());
  driver_.Send(thread, EventKind::PageDown, kBrowseList);
  EXPECT_EQ(3, driver_.List(thread).RowCount());
  EXPECT_EQ("C site", Current(thread));
  driver_.Send(thread, EventKind::ScrollTop, kBrowseList);
  driver_.Send(thread, EventKind::ScrollBottom, kBrowseList);
  EXPECT_EQ(3, driver_.List(thread).RowCount());
  EXPECT_EQ("C site", Current(thread));
  driver_.Close(thread);
}

TEST_F(BrowseTest, TypedLetterLocatesAndPastTheLastKeyLandsOnTheLastPage) {
  AddSites();
  const int thread = Open();
  Key(thread, u'g');
  EXPECT_EQ("G site", Descriptions(thread).front());
  EXPECT_EQ("G site", Current(thread));

  Key(thread, u'z');
  EXPECT_EQ(QStringList({"H site", "I site", "J site", "K site", "L site"}), Descriptions(thread));
  EXPECT_EQ(5, driver_.Browse(thread).CurrentRow());
  EXPECT_EQ("L site", Current(thread));

  Tab(thread, 2); // Location order keeps the current record
  EXPECT_EQ("L site", Current(thread));
  Key(thread, u'h'); // "http://..." sorts after every letter before H
  EXPECT_EQ("A site", Descriptions(thread).front());
  driver_.Close(thread);
}

TEST_F(BrowseTest, EmptyFileListsNothingAndItsMenuOffersInsertOnly) {
  AddSites(0);
  const int thread = driver_.Start(BrowseVORNIX);
  EXPECT_EQ(0, driver_.List(thread).RowCount());
  EXPECT_EQ(0, driver_.Browse(thread).CurrentRow());
  Window &window = driver_.WindowOf(thread);
  EXPECT_FALSE(window.Find(kBrowseChange)->IsEnabled());
  EXPECT_FALSE(window.Find(kBrowseDelete)->IsEnabled());
  EXPECT_TRUE(window.Find(kBrowseInsert)->IsEnabled());

  Event right{EventKind::NewSelection, kBrowseList};
  right.key = KEY_MOUSE_RIGHT;
  driver_.Send(thread, right);
  ASSERT_EQ(1, driver_.popups.size());
  EXPECT_EQ("&Insert|~&Change|~&Delete", driver_.popups.front());

  // The Delete key does nothing without rows; the Insert key presses Insert.
  Event del{EventKind::AlertKey, kBrowseList};
  del.key = KEY_DELETE;
  driver_.Send(thread, del);
  EXPECT_TRUE(shown_.empty());
  driver_.Close(thread);
}

TEST_F(BrowseTest, MenuOfAFilledListChoosesChangeAndDelete) {
  AddSites();
  const int thread = Open();
  answers_ = {BUTTON_CANCEL}; // message 32: the delete is not confirmed
  driver_.popupAnswer = 3;
  Event right{EventKind::NewSelection, kBrowseList};
  right.key = KEY_MOUSE_RIGHT;
  driver_.Send(thread, right);
  EXPECT_EQ("&Insert|&Change|&Delete", driver_.popups.value(0));
  driver_.Until([&] { return !shown_.empty(); });
  driver_.Send(thread, EventKind::GainFocus, 0);
  ASSERT_EQ(1u, shown_.size());
  EXPECT_EQ("Confirm Delete", shown_.front().caption);
  EXPECT_EQ(12, RecordCount());
  driver_.Close(thread);
}

TEST_F(BrowseTest, InsertThatSortsFarAwayBecomesTheCurrentRow) {
  AddSites();
  const int thread = Open();
  driver_.Press(thread, kBrowseInsert, [](Window &form) {
    EXPECT_EQ("Adding Location", form.Title());
    test::Type(form, kUpdateLocation, "https://zulu.example/");
    test::Type(form, kUpdateDescription, "Zulu far away");
    test::Choose(form, kUpdateCategory, "Sport");
    form.Get<ButtonControl>(kUpdateOk).Press();
  });
  EXPECT_EQ("Zulu far away", Current(thread));
  EXPECT_EQ(QStringList({"I site", "J site", "K site", "L site", "Zulu far away"}), Descriptions(thread));
  EXPECT_EQ("https", driver_.Column(thread, 5).back()); // the proposed keyword
  EXPECT_EQ(13, RecordCount());
  driver_.Close(thread);
}

TEST_F(BrowseTest, ThumbOfARatingInTheMiddleOfTheRange) {
  AddSites();
  const int thread = Open();
  Tab(thread, 4); // Rating, highest first: 10, 10, 9, ..., 0
  Key(thread, u'5');
  EXPECT_EQ("5", driver_.Column(thread, 4).front());
  EXPECT_EQ("F site", Current(thread));
  // Steps run from 10 down to 0: step 50 is 5.05, the last one not below 5.
  EXPECT_EQ(50, driver_.Browse(thread).Thumb());
  EXPECT_EQ(50, driver_.List(thread).Thumb());

  Event drag{EventKind::ScrollDrag, kBrowseList};
  drag.thumb = 80; // step 80 is 2.02: the rating becomes 2, the rest of the key stays "F site"
  driver_.Send(thread, drag);
  // Near the end of the order the page is filled from above; the current row is B (1).
  const ListControl &list = driver_.List(thread);
  EXPECT_EQ("1", list.Row(list.SelectedRow()).value(3));
  EXPECT_EQ("B site", Current(thread));
  EXPECT_EQ(5, list.RowCount());
  driver_.Close(thread);
}

TEST_F(BrowseTest, KeywordOrderThumbTellsTopMiddleAndBottom) {
  AddSites();
  const int thread = Open();
  Tab(thread, 5);
  driver_.Send(thread, EventKind::ScrollTop, kBrowseList);
  EXPECT_EQ(0, driver_.Browse(thread).Thumb());
  driver_.Send(thread, EventKind::PageDown, kBrowseList);
  EXPECT_EQ(50, driver_.Browse(thread).Thumb());
  driver_.Send(thread, EventKind::PageDown, kBrowseList);
  driver_.Send(thread, EventKind::PageDown, kBrowseList);
  EXPECT_EQ(100, driver_.Browse(thread).Thumb());
  driver_.Close(thread);
}

TEST_F(BrowseTest, CategoryTabShowsTheChosenCategoryOnly) {
  AddSites();
  TakeFile(Categories());
  ASSERT_EQ(0, test::AddCategory("Travel"));
  ReleaseFile(Categories());
  const int thread = Open();
  Tab(thread, 3); // no category chosen yet: the blank category has no sites
  EXPECT_EQ(0, driver_.List(thread).RowCount());
  driver_.Press(thread, kBrowseSelectCategory, [](Window &select) {
    EXPECT_EQ("Select Category", select.Title());
    Event key{EventKind::AlertKey, 1};
    key.key = u's';
    key.ch = u's';
    select.Post(key); // events are handled in order: the locator, then the button
    select.Get<ButtonControl>(2).Press();
  });
  EXPECT_EQ("Sport", driver_.Browse(thread).ResetValue());
  EXPECT_EQ(QStringList({"B site", "D site", "F site", "H site", "J site"}), Descriptions(thread));
  driver_.Send(thread, EventKind::PageDown, kBrowseList);
  EXPECT_EQ("L site", Descriptions(thread).back());
  for (const QString &category : driver_.Column(thread, 3))
    EXPECT_EQ("Sport", category);

  // The form reads every category for its list; cancelling it keeps the category shown.
  driver_.Press(thread, kBrowseChange, [](Window &form) { form.Get<ButtonControl>(kUpdateCancel).Press(); });
  EXPECT_EQ("Sport", driver_.Browse(thread).ResetValue());
  EXPECT_EQ("L site", Descriptions(thread).back());
  driver_.Close(thread);
}

TEST_F(BrowseTest, DeleteAnsweredCancelChangesNothingAndOkRemovesTheRow) {
  AddSites();
  const int thread = Open();
  driver_.Send(thread, EventKind::ScrollDown, kBrowseList);
  answers_ = {BUTTON_CANCEL};
  driver_.Press(thread, kBrowseDelete);
  EXPECT_EQ(12, RecordCount());
  EXPECT_EQ("B site", Current(thread));
  answers_ = {BUTTON_OK};
  driver_.Press(thread, kBrowseDelete);
  EXPECT_EQ(11, RecordCount());
  EXPECT_EQ(QStringList({"A site", "C site", "D site", "E site", "F site"}), Descriptions(thread));
  EXPECT_EQ("C site", Current(thread));
  ASSERT_EQ(2u, shown_.size());
  EXPECT_EQ("Confirm Delete", shown_.back().caption);
  driver_.Close(thread);
}

TEST_F(BrowseTest, ChangeInOneWindowShowsInAnotherWhenItGainsTheFocus) {
  AddSites();
  const int first = Open();
  const int second = Open();
  driver_.Send(first, EventKind::ScrollDown, kBrowseList);
  driver_.Press(first, kBrowseChange, [](Window &form) {
    EXPECT_EQ("Changing Location", form.Title());
    test::Type(form, kUpdateDescription, "B site changed");
    test::Type(form, kUpdateRating, "7");
    form.Get<ButtonControl>(kUpdateOk).Press();
  });
  EXPECT_EQ("B site changed", Current(first));
  EXPECT_FALSE(driver_.Column(second, 1).contains("B site changed"));
  driver_.Send(second, EventKind::GainFocus, 0);
  const QStringList shown = driver_.Column(second, 1);
  ASSERT_TRUE(shown.contains("B site changed")) << qPrintable(shown.join(", "));
  EXPECT_EQ("7", driver_.Column(second, 4).value(shown.indexOf("B site changed")));
  driver_.Close(first);
  driver_.Close(second);
}

TEST_F(BrowseTest, ChangeOfASiteDeletedElsewhereNeverWritesOverAnotherSite) {
  AddSites();
  const int first = Open();
  const int second = Open();
  driver_.Send(second, EventKind::ScrollDown, kBrowseList);
  driver_.Send(first, EventKind::ScrollDown, kBrowseList);
  answers_ = {BUTTON_OK};
  driver_.Press(first, kBrowseDelete);
  ASSERT_EQ(11, RecordCount());
  ASSERT_EQ("B site", Current(second)); // the second window has not read the file again
  answers_ = {BUTTON_OK, BUTTON_NO};    // message 15, then message 16: give up
  driver_.Press(second, kBrowseChange, [](Window &form) {
    test::Type(form, kUpdateDescription, "B site again");
    form.Get<ButtonControl>(kUpdateOk).Press();
  });
  EXPECT_EQ(11, RecordCount());
  driver_.Send(second, EventKind::ScrollTop, kBrowseList);
  EXPECT_EQ(QStringList({"A site", "C site", "D site", "E site", "F site"}), Descriptions(second));
  ASSERT_GE(shown_.size(), 2u);
  EXPECT_EQ("Record Update Error", shown_.back().caption);
  driver_.Close(first);
  driver_.Close(second);
}

TEST_F(BrowseTest, ClipboardGetsTheLocationWithoutTrailingBlanks) {
  TakeFile(Categories());
  TakeFile(VORNIX());
  ASSERT_EQ(0, test::AddSite("news:comp.lang   ", "Group", ""));
  ReleaseFile(VORNIX());
  ReleaseFile(Categories());
  const int thread = driver_.Start(BrowseVORNIX);
  driver_.Press(thread, kBrowseClipboard);
  EXPECT_EQ("news:comp.lang", CLIPBOARD());
  driver_.Close(thread);
}

TEST_F(BrowseTest, FirstStartMeasuresTheLayoutAndTheColumnFormatIsKept) {
  AddSites(3);
  const int thread = driver_.Start(BrowseVORNIX);
  EXPECT_EQ("714364299590", GETINI("BrowseVORNIX", "WindowScaled", "", "VORNIX.INI"));
  for (int n = 1; n <= 13; ++n)
    EXPECT_EQ(12, GETINI("BrowseVORNIX", QString("Ctrl%1Size").arg(n), "", "VORNIX.INI").size()) << n;
  EXPECT_EQ("000000000000", GETINI("BrowseVORNIX", "Ctrl9Size", "", "VORNIX.INI")); // a tab
  const QRect before = driver_.List(thread).Position();
  Window &window = driver_.WindowOf(thread);
  window.Outer()->resize(window.Outer()->size() * 2);
  driver_.Send(thread, EventKind::Sized, 0);
  EXPECT_GT(driver_.List(thread).Position().width(), before.width() * 3 / 2);
  driver_.List(thread).SetFormat("50L|M~Description~@S100@89L|M~Location~@S255@60L|M~Category~@S30@25L|M~"
                                 "Rating~@N2@40L(2)|M~Keyword~L(1)@s10@");
  driver_.Close(thread);
  EXPECT_TRUE(GETINI("BrowseVORNIX", "?Browse:1", "", "VORNIX.INI").startsWith("50L|M~Description~"));
  const int again = driver_.Start(BrowseVORNIX);
  EXPECT_TRUE(driver_.List(again).Format().startsWith("50L|"));
  driver_.Close(again);
}

// The user's round: ten sites added in two categories, one found by typing its first
// letter on the list, its rating changed, another deleted with the Delete key; the list
// shows each change at once.
TEST_F(BrowseTest, AddFindChangeAndDeleteWithTheKeyboard) {
  AddSites(0);
  const int thread = Open();
  const QStringList names = {"Kilo",    "Alpha", "Juliet", "Bravo", "India",
                             "Charlie", "Hotel", "Delta",  "Golf",  "Echo"};
  for (int i = 0; i < names.size(); ++i) {
    driver_.Press(thread, kBrowseInsert, [&](Window &form) {
      test::Type(form, kUpdateLocation, QString("http://%1.example/").arg(names[i].toLower()));
      test::Type(form, kUpdateDescription, names[i]);
      test::Choose(form, kUpdateCategory, i % 2 ? "Sport" : "News");
      test::Type(form, kUpdateRating, QString::number(i % 5));
      form.Get<ButtonControl>(kUpdateOk).Press();
    });
    EXPECT_EQ(names[i], Current(thread));
  }
  EXPECT_EQ(10, RecordCount());
  auto *tree = driver_.List(thread).Widget()->findChild<QTreeWidget *>();
  QTest::keyClick(tree, Qt::Key_H, Qt::NoModifier);
  driver_.Until([&] { return Current(thread) == "Hotel" && !driver_.Browse(thread).SelectionPending(); });
  EXPECT_EQ(QStringList({"Golf", "Hotel", "India", "Juliet", "Kilo"}), Descriptions(thread));

  driver_.Press(thread, kBrowseChange, [](Window &form) {
    test::Type(form, kUpdateRating, "9");
    form.Get<ButtonControl>(kUpdateOk).Press();
  });
  const ListControl &list = driver_.List(thread);
  EXPECT_EQ("Hotel", Current(thread));
  EXPECT_EQ("9", list.Row(list.SelectedRow()).value(3));

  driver_.Send(thread, EventKind::ScrollDown, kBrowseList);
  EXPECT_EQ("India", Current(thread));
  answers_ = {BUTTON_OK};
  QTest::keyClick(tree, Qt::Key_Delete);
  driver_.Until([&] { return RecordCount() == 9 && !Descriptions(thread).contains("India"); });
  EXPECT_EQ("Juliet", Current(thread));
  driver_.Close(thread);
}

// The Locations browse inside the application frame opens at its defined size, showing a
// page of rows (scripts/screenshot-library takes its picture).
TEST_F(BrowseTest, LocationsBrowseInTheFrameShowsAPageOfRows) {
  AddSites();
  const int frameThread = START([] {
    Window frame(WindowSpec("Vornix", WindowKind::Frame));
    frame.Open();
    frame.Outer()->resize(900, 560);
    while (frame.Accept()) {
    }
    frame.Close();
  });
  driver_.Until([] { return Window::Frame() != nullptr; });
  const int thread = driver_.Start(BrowseVORNIX);
  EXPECT_EQ(std::min(12, driver_.List(thread).VisibleRows()), driver_.List(thread).RowCount());
  EXPECT_EQ("A site", Descriptions(thread).front());
  Window &browse = driver_.WindowOf(thread);
  EXPECT_EQ(browse.Units().ToPixels(QRect(0, 0, 400, 210)).size(), browse.ClientArea()->size());
  EXPECT_GE(driver_.List(thread).VisibleRows(), 8);
  Window::ActiveOf(frameThread)->Post(EventKind::CloseWindow);
  driver_.Until([&] { return !scheduler::IsAlive(frameThread) && !scheduler::IsAlive(thread); });
}

} // namespace
} // namespace vx
