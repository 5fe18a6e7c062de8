#include "library/runtime/report/page_image.h"
#include "library/runtime/windows/box_control.h"
#include "library/runtime/windows/check_item_control.h"
#include "library/runtime/windows/combo_control.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/page_image_control.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/spin_control.h"
#include "library/runtime/windows/table_list_control.h"
#include "library/runtime/windows/window.h"
#include "library/runtime/windows/window_bars.h"
#include "support/run_threads.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace vx {
namespace {

WindowSpec DialogSpec(const QString &title) {
  return WindowSpec{title, WindowKind::Dialog, QRect(0, 0, 200, 120)};
}

std::vector<Event> Drain(Window &window) {
  std::vector<Event> events;
  window.Post(EventKind::CloseWindow);
  while (window.Accept()) {
    const Event &e = window.CurrentEvent();
    if (e.kind != EventKind::Selected && e.kind != EventKind::OpenWindow && e.kind != EventKind::GainFocus &&
        e.kind != EventKind::CloseWindow)
      events.push_back(e);
  }
  return events;
}

// The spin's arrows stop at its range and report each step; a typed value past a bound is
// refused with the bound it passed and leaves the variable alone; one inside is taken.
TEST(Spin, StepsWithinItsRangeAndRefusesTypedValuesPastIt) {
  std::vector<Event> events;
  int value = 0;
  START([&] {
    Window window(DialogSpec("spin"));
    auto &spin = window.Add<SpinControl>(1, QRect(4, 4, 40, 12), 4, 1, 3);
    spin.Use(value);
    window.Open();
    value = 2;
    window.Display();
    auto *box = static_cast<QSpinBox *>(spin.Widget());
    for (int i = 0; i < 3; ++i)
      QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(3, value); // one step up, then the arrows stop at the top
    for (const char *typed : {"250", "0", "2"}) {
      box->selectAll();
      QTest::keyClicks(box, typed);
      QTest::keyClick(box, Qt::Key_Return);
      if (QString(typed) != "2") {
        EXPECT_EQ(3, value) << typed;
      }
    }
    events = Drain(window);
  });
  test::RunAllThreads();
  EXPECT_EQ(2, value);
  std::vector<std::pair<EventKind, RejectDetail>> got;
  for (const Event &e : events)
    got.emplace_back(e.kind, e.detail);
  const std::vector<std::pair<EventKind, RejectDetail>> expected = {
      {EventKind::NewSelection, RejectDetail::None},
      {EventKind::Rejected, RejectDetail::AboveRange},
      {EventKind::Rejected, RejectDetail::BelowRange},
      {EventKind::NewSelection, RejectDetail::None},
      {EventKind::Accepted, RejectDetail::None}};
  EXPECT_EQ(expected, got);
}

// An editable drop combo takes a typed text that is not on its list as its value, and a
// chosen text as well.
TEST(Combo, TypedTextIsTheValue) {
  std::vector<Event> events;
  QString name;
  START([&] {
    Window window(DialogSpec("combo"));
    auto &combo = window.Add<ComboControl>(1, QRect(4, 4, 120, 12));
    combo.Use(name);
    combo.SetItems({"/tmp/a.htm", "/tmp/b.htm"});
    window.Add<ButtonControl>(2, "OK", QRect(4, 30, 40, 14));
    window.Open();
    auto *box = static_cast<QComboBox *>(combo.Widget());
    box->setFocus();
    QTest::keyClicks(box->lineEdit(), "/home/me/new.htm");
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_EQ("/home/me/new.htm", name);
    box->setCurrentIndex(1);
    emit box->activated(1);
    EXPECT_EQ("/tmp/b.htm", name);
    EXPECT_EQ(QStringList({"/tmp/a.htm", "/tmp/b.htm"}), combo.Items());
    events = Drain(window);
  });
  test::RunAllThreads();
  std::vector<EventKind> kinds;
  for (const Event &e : events)
    kinds.push_back(e.kind);
  EXPECT_EQ((std::vector<EventKind>{EventKind::Accepted, EventKind::NewSelection, EventKind::Accepted}),
            kinds);
}

// A window other than the frame has a menu with check items bound to variables, a toolbar
// holding controls, status zones, and status messages in zone 1; keys it alerts reach it
// from whichever control has the focus.
TEST(WindowBars, MenusToolbarAndStatusZonesOnAWindow) {
  std::vector<Event> events;
  int zoom = 0;
  QString zone2, zone3, message;
  bool spinOnToolbar = false, menuOff = false;
  START([&] {
    Window window(DialogSpec("preview"));
    WindowBars &bars = window.Bars();
    QMenu *menu = bars.AddMenu(1, "&Zoom");
    bars.AddItem(menu, 2, "&Next", "Next page");
    bars.AddCheckItem(menu, 3, "&100 Percent", "Show the page at its size").Use(zoom);
    bars.SetToolbarHeight(18);
    auto &spin = window.Add<SpinControl>(4, QRect(4, 3, 30, 12), 2, 1, 10);
    bars.PutOnToolbar(spin);
    bars.SetStatusZones({0, 60, 60});
    window.Alert(Qt::Key_PageDown);
    window.Open();
    spinOnToolbar = spin.Widget()->parentWidget() != window.ClientArea();
    bars.SetZoneText(2, "Page 1 of 3");
    bars.SetZoneText(3, "No Zoom");
    zone2 = bars.ZoneText(2);
    zone3 = bars.ZoneText(3);
    auto &check = window.Get<CheckItemControl>(3);
    check.Action()->trigger();
    EXPECT_EQ(1, zoom);
    zoom = 0;
    window.Display(3);
    EXPECT_FALSE(check.IsChecked());
    QStatusTipEvent tip("Next page");
    QApplication::sendEvent(window.ClientArea(), &tip);
    message = bars.ZoneText(1);
    QTest::keyClick(spin.Widget(), Qt::Key_PageDown);
    window.Disable(1);
    menuOff = !menu->menuAction()->isEnabled();
    events = Drain(window);
  });
  test::RunAllThreads();
  EXPECT_TRUE(spinOnToolbar);
  EXPECT_TRUE(menuOff);
  EXPECT_EQ("Page 1 of 3", zone2);
  EXPECT_EQ("No Zoom", zone3);
  EXPECT_EQ("Next page", message);
  ASSERT_EQ(2u, events.size());
  EXPECT_EQ(EventKind::Accepted, events[0].kind);
  EXPECT_EQ(3, events[0].control);
  EXPECT_EQ(EventKind::AlertKey, events[1].kind);
  EXPECT_EQ(4, events[1].control);
  EXPECT_EQ(Qt::Key_PageDown, events[1].key);
}

// Controls made and removed while the window is open; a page image shows a page file at
// its true size in dialog units, posts its alerted click, and a damaged file shows nothing.
TEST(PageImageControl, ShowsAPageFileAndControlsComeAndGo) {
  QTemporaryDir dir;
  PageImage page(QSize(8500, 11000));
  page.AddFill(QRect(0, 0, 8500, 11000), Qt::gray);
  ASSERT_TRUE(page.Save(dir.filePath("p1.vxp")));
  QFile bad(dir.filePath("bad.vxp"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("not a page");
  bad.close();
  std::vector<Event> events;
  QSize natural, expected, damaged;
  bool removed = false;
  START([&] {
    Window window(DialogSpec("images"));
    window.Open();
    window.Add<BoxControl>(1, QRect(0, 0, 50, 60), QColor(Qt::white));
    auto &image = window.Add<PageImageControl>(2, QRect(0, 0, 50, 60));
    image.Alert(KEY_MOUSE_LEFT);
    image.SetText(dir.filePath("p1.vxp"));
    natural = image.NaturalSize();
    const int dpi = image.Widget()->logicalDpiX();
    expected = QSize(window.Units().ToUnitsX(int(8.5 * dpi + 0.5)), window.Units().ToUnitsY(11 * dpi));
    QTest::mouseClick(image.Widget(), Qt::LeftButton);
    image.SetText(dir.filePath("bad.vxp"));
    damaged = image.NaturalSize();
    window.Remove(2);
    window.Remove(1);
    removed = !window.Find(1) && !window.Find(2);
    auto &zoomed = window.Add<PageImageControl>(2, QRect(0, 0, 100, 100), true);
    zoomed.SetText(dir.filePath("p1.vxp"));
    zoomed.SetDrawnSize(QSize(300, 400));
    events = Drain(window);
  });
  test::RunAllThreads();
  EXPECT_EQ(expected, natural);
  EXPECT_EQ(QSize(), damaged);
  EXPECT_TRUE(removed);
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(EventKind::AlertKey, events[0].kind);
  EXPECT_EQ(2, events[0].control);
}

// A list over a long table shows every line, lines appended later, and any selected line.
TEST(TableList, ScrollsOverALongTableByItself) {
  std::vector<QString> lines;
  int rows = 0, selected = 0, grown = 0;
  QString text;
  bool lastVisible = false, scrollsAcross = false;
  START([&] {
    Window window(DialogSpec("viewer"));
    auto &list = window.Add<TableListControl>(1, QRect(4, 4, 190, 100));
    list.SetTable(&lines);
    window.Open();
    for (int i = 1; i <= 20000; ++i)
      lines.push_back(QString("line %1").arg(i));
    list.Sync();
    rows = list.RowCount();
    list.SetSelectedRow(19999);
    selected = list.SelectedRow();
    text = list.Text();
    auto *view = static_cast<QTableView *>(list.Widget());
    lastVisible = view->viewport()->rect().intersects(view->visualRect(view->model()->index(19998, 0)));
    lines.push_back(
        "one more line, longer than the list is wide, so that the list scrolls across to show it");
    list.Sync();
    grown = list.RowCount();
    test::WaitFor([&] { return view->horizontalScrollBar()->maximum() > 0; }); // laid out by the main loop
    scrollsAcross = view->columnWidth(0) > view->viewport()->width();
    Drain(window);
  });
  test::RunAllThreads();
  EXPECT_EQ(20000, rows);
  EXPECT_EQ(19999, selected);
  EXPECT_EQ("line 19999", text);
  EXPECT_TRUE(lastVisible);
  EXPECT_EQ(20001, grown);
  EXPECT_TRUE(scrollsAcross);
}

} // namespace
} // namespace vx
