#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/frame_menus.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/qt_dialogs.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"
#include "support/run_threads.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace vx {
namespace {

WindowSpec DialogSpec(const QString &title) {
  return WindowSpec{title, WindowKind::Dialog, QRect(0, 0, 200, 120)};
}

// Records the events a window delivers, as "Kind:control".
QString Describe(const Event &e) {
  static const char *names[] = {
      "None",       "Accepted",     "NewSelection", "ScrollUp",  "ScrollDown", "PageUp",    "PageDown",
      "ScrollTop",  "ScrollBottom", "ScrollDrag",   "AlertKey",  "Rejected",   "Selected",  "TabChanging",
      "OpenWindow", "GainFocus",    "CloseWindow",  "CloseDown", "Timer",      "Completed", "Sized"};
  return QString("%1:%2").arg(names[static_cast<int>(e.kind)]).arg(e.control);
}

TEST(Window, AcceptAllPassVisitsFieldsInOrderAndStopsAtAFailingField) {
  QStringList seen;
  QString location, category, keyword;
  bool secondPass = false;
  START([&] {
    Window window(DialogSpec("form"));
    window.Add<LabelControl>(1, "&Location:", QRect(4, 4, 40, 10));
    window.Add<EntryControl>(2, QRect(50, 4, 100, 10)).Use(location);
    window.Add<EntryControl>(3, QRect(50, 20, 100, 10)).Use(category);
    window.Add<EntryControl>(4, QRect(50, 36, 100, 10)).Use(keyword);
    window.Add<ButtonControl>(5, "&OK", QRect(50, 60, 40, 14));
    window.Open();
    window.Get<EntryControl>(2).SetText("http://x/");
    window.Get<EntryControl>(4).SetText("http");
    while (window.Accept()) {
      const Event &e = window.CurrentEvent();
      if (e.kind == EventKind::OpenWindow) {
        window.AcceptAll();
        continue;
      }
      if (e.kind != EventKind::Accepted && e.kind != EventKind::Completed)
        continue;
      seen << Describe(e);
      if (e.kind == EventKind::Accepted && e.control == 3 && category.isEmpty()) {
        window.Select(3); // the category check fails: the pass stops here
        EXPECT_FALSE(window.InAcceptAllPass());
        window.Get<EntryControl>(3).SetText("News");
        secondPass = true;
        window.AcceptAll();
      } else if (e.kind == EventKind::Completed) {
        window.Post(EventKind::CloseWindow);
      }
    }
  });
  test::RunAllThreads();
  ASSERT_TRUE(secondPass);
  EXPECT_EQ(
      QStringList({"Accepted:2", "Accepted:3", "Accepted:2", "Accepted:3", "Accepted:4", "Completed:0"}),
      seen);
  EXPECT_EQ("http://x/", location);
  EXPECT_EQ("News", category);
  EXPECT_EQ("http", keyword);
}

TEST(Window, NumericEntryRejectsValuesOutsideItsRangeWithTheBoundPassed) {
  std::vector<RejectDetail> details;
  START([&] {
    Window window(DialogSpec("rating"));
    auto &rating = window.Add<EntryControl>(1, QRect(4, 4, 30, 10), 2);
    rating.SetRange(0, 10);
    window.Open();
    auto *edit = static_cast<QLineEdit *>(rating.Widget());
    for (const char *typed : {"11", "x", "7"}) {
      edit->setText(typed);
      edit->setModified(true);
      emit edit->editingFinished();
    }
    window.Post(EventKind::CloseWindow);
    while (window.Accept()) {
      const Event &e = window.CurrentEvent();
      if (e.kind == EventKind::Rejected)
        details.push_back(e.detail);
      if (e.kind == EventKind::Accepted)
        details.push_back(RejectDetail::None);
    }
  });
  test::RunAllThreads();
  EXPECT_EQ((std::vector<RejectDetail>{RejectDetail::AboveRange, RejectDetail::Invalid, RejectDetail::None}),
            details);
}

TEST(Window, SheetTabsShowTheirOwnControlsAndReportTheChange) {
  QStringList seen;
  bool buttonVisibleOnCategoryTab = false, buttonVisibleOnFirstTab = true;
  START([&] {
    Window window(DialogSpec("sheet"));
    auto &sheet = window.Add<SheetControl>(2, QRect(0, 0, 200, 100));
    window.Add<TabControl>(10, sheet, "Description");
    auto &categoryTab = window.Add<TabControl>(11, sheet, "Category");
    window.Add<ButtonControl>(3, "Select Category", QRect(4, 80, 60, 14)).PlaceOnTab(&categoryTab);
    window.Open();
    buttonVisibleOnFirstTab = window.Find(3)->Widget()->isVisibleTo(window.ClientArea());
    static_cast<QTabWidget *>(sheet.Widget())->setCurrentIndex(1); // the user picks the tab
    buttonVisibleOnCategoryTab = window.Find(3)->Widget()->isVisibleTo(window.ClientArea());
    window.Post(EventKind::CloseWindow);
    while (window.Accept()) {
      const Event &e = window.CurrentEvent();
      if (e.control == 2)
        seen << Describe(e);
    }
    EXPECT_EQ(2, sheet.Choice());
  });
  test::RunAllThreads();
  EXPECT_FALSE(buttonVisibleOnFirstTab);
  EXPECT_TRUE(buttonVisibleOnCategoryTab);
  EXPECT_EQ(QStringList({"TabChanging:2", "NewSelection:2"}), seen);
}

TEST(Window, PageListTurnsKeysMouseAndThumbIntoEvents) {
  std::vector<Event> events;
  QString format;
  START([&] {
    Window window(DialogSpec("list"));
    auto &list = window.Add<ListControl>(
        1, QRect(0, 0, 200, 100), "107L|M~Description~@S100@25L|M~Rating~@N2@40L(2)|M~Keyword~L(1)@s10@");
    list.Alert(KEY_MOUSE_LEFT2);
    list.Alert(KEY_INSERT);
    list.Alert(KEY_CTRL_ENTER);
    window.Open();
    EXPECT_EQ(3, list.ColumnCount());
    EXPECT_EQ("Keyword", list.Heading(3));
    EXPECT_GE(list.VisibleRows(), 3);
    list.AppendRow({"First", "5", "http"});
    list.AppendRow({"Second", "3", "ftp"});
    list.InsertRow(1, {"Zeroth", "9", "news"});
    list.SetSelectedRow(2);
    EXPECT_EQ("First", list.Text());
    auto *tree = list.Widget()->findChild<QTreeWidget *>();
    QTest::keyClick(tree, Qt::Key_Down);
    QTest::keyClick(tree, Qt::Key_PageUp);
    QTest::keyClick(tree, Qt::Key_End);
    QTest::keyClick(tree, Qt::Key_Insert);
    QTest::keyClick(tree, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(tree, Qt::Key_M);
    const QRect third = tree->visualItemRect(tree->topLevelItem(2));
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, third.center());
    EXPECT_EQ(3, list.SelectedRow()); // the right click selected the row under the mouse
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, third.center());
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, third.center());
    auto *bar = list.Widget()->findChild<QScrollBar *>();
    bar->setSliderDown(true);
    bar->setSliderPosition(42);
    bar->setSliderDown(false);
    EXPECT_EQ(42, list.Thumb());
    tree->header()->resizeSection(0, window.Units().ToPixelsX(60));
    format = list.Format();
    window.Post(EventKind::CloseWindow);
    while (window.Accept()) {
      const Event &e = window.CurrentEvent();
      if (e.control == 1 && e.kind != EventKind::Selected)
        events.push_back(e);
    }
  });
  test::RunAllThreads();
  std::vector<std::pair<EventKind, int>> kinds;
  for (const Event &e : events)
    kinds.emplace_back(e.kind, e.key);
  const std::vector<std::pair<EventKind, int>> expected = {
      {EventKind::ScrollDown, Qt::Key_Down},      {EventKind::PageUp, Qt::Key_PageUp},
      {EventKind::ScrollBottom, Qt::Key_End},     {EventKind::AlertKey, KEY_INSERT},
      {EventKind::AlertKey, KEY_CTRL_ENTER},      {EventKind::AlertKey, Qt::Key_M},
      {EventKind::NewSelection, KEY_MOUSE_RIGHT}, {EventKind::NewSelection, KEY_MOUSE_LEFT},
      {EventKind::AlertKey, KEY_MOUSE_LEFT2},     {EventKind::ScrollDrag, 0},
  };
  EXPECT_EQ(expected, kinds);
  ASSERT_EQ(expected.size(), events.size());
  EXPECT_EQ(u'm', events[5].ch);
  EXPECT_EQ(42, events.back().thumb);
  EXPECT_EQ("60L|M~Description~@S100@25L|M~Rating~@N2@40L(2)|M~Keyword~L(1)@s10@", format);
}

TEST(Window, FrameClosesLastAfterEveryOtherProcedureClosedDown) {
  QStringList order;
  START([&] {
    Window frame(WindowSpec{"Frame", WindowKind::Frame});
    QMenu *file = frame.Menus().AddMenu("&File");
    frame.Menus().AddItem(file, 100, "E&xit", "Exit this application", StandardAction::Close);
    frame.Open();
    while (frame.Accept()) {
      if (frame.CurrentEvent().kind != EventKind::OpenWindow)
        continue;
      for (int i = 1; i <= 3; ++i) {
        START([&order, i] {
          Window child(WindowSpec{QString("child %1").arg(i), WindowKind::MdiChild, QRect(0, 0, 80, 40)});
          child.Open();
          while (child.Accept()) {
            if (child.CurrentEvent().kind == EventKind::CloseDown)
              order << QString("child %1").arg(i);
          }
        });
      }
      START([&frame] {
        // Waits until the three children are open, then chooses File, Exit.
        test::WaitFor([&frame] { return frame.MdiArea()->subWindowList().size() == 3; });
        frame.Get<MenuItemControl>(100).Choose();
      });
    }
    order << "frame";
  });
  test::RunAllThreads();
  ASSERT_EQ(4, order.size());
  EXPECT_EQ("frame", order.back());
}

// A window of a child's thread (a progress window) disables the child while it is open;
// when it closes, the keyboard and the frame's activation go back to that child, not to the
// frame's other child that took them when the first was disabled.
TEST(Window, ClosingASecondWindowGivesTheKeyboardBackToTheOneBelow) {
  QWidget *otherEntry = nullptr;
  QWidget *ownEntry = nullptr;
  QMdiSubWindow *active = nullptr;
  QWidget *ownWindow = nullptr;
  QWidget *focus = nullptr;
  START([&] {
    Window frame(WindowSpec{"Frame", WindowKind::Frame});
    frame.Open();
    while (frame.Accept()) {
      if (frame.CurrentEvent().kind != EventKind::OpenWindow)
        continue;
      START([&] {
        Window other(WindowSpec{"other", WindowKind::MdiChild, QRect(0, 0, 80, 40)});
        otherEntry = other.Add<EntryControl>(1, QRect(4, 4, 60, 12)).Widget();
        other.Open();
        while (other.Accept()) {
        }
      });
      START([&] {
        test::WaitFor([&] { return otherEntry != nullptr; });
        Window own(WindowSpec{"own", WindowKind::MdiChild, QRect(0, 0, 80, 40)});
        ownEntry = own.Add<EntryControl>(1, QRect(4, 4, 60, 12)).Widget();
        own.Open();
        ownWindow = own.Outer();
        own.Select(1);
        test::WaitFor([&] { return QApplication::focusWidget() == ownEntry; });
        {
          Window progress(DialogSpec("progress"));
          progress.Open();
          test::WaitFor([&] { return QApplication::focusWidget() != ownEntry; });
        }
        QElapsedTimer settle;
        settle.start();
        test::WaitFor([&] { return settle.elapsed() > 200; });
        active = frame.MdiArea()->activeSubWindow();
        focus = QApplication::focusWidget();
        own.Post(EventKind::CloseWindow);
        frame.Post(EventKind::CloseWindow);
      });
    }
  });
  test::RunAllThreads();
  EXPECT_EQ(ownWindow, active);
  EXPECT_EQ(ownEntry, focus);
}

// The least width a window manager's title bar needs for `title`: the text in bold beside an
// icon and three buttons, each a title bar's height wide.
int TitleBarNeeds(const QString &title) {
  QFont bold = QApplication::font();
  bold.setBold(true);
  return QFontMetrics(bold).horizontalAdvance(title) +
         4 * QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

QMessageBox *ShownBox() {
  for (QWidget *widget : QApplication::topLevelWidgets()) {
    if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
      return box;
  }
  return nullptr;
}

// A window of its own narrower than its title needs is widened about its middle, its
// controls with it, as it opens and when its title grows; a message box with a short text
// is as wide as its caption needs too.
TEST(Window, DialogsAndMessageBoxesAreAsWideAsTheirTitlesNeed) {
  const MessageHandler previous = SetMessageHandler({});
  InstallQtDialogs();
  const QString title = "A Title Longer Than Its Window", longer = title + " and Longer Still";
  int opened = 0, retitled = 0, boxWidth = 0, leftMargin = 0, rightMargin = 0, centreBefore = 0,
      centreAfter = 0;
  START([&] {
    Window dialog(WindowSpec{title, WindowKind::Dialog, QRect(0, 0, 60, 30)});
    QWidget *button = dialog.Add<ButtonControl>(1, "OK", QRect(5, 8, 50, 14)).Widget();
    dialog.Open();
    QWidget *outer = dialog.Outer();
    opened = outer->width();
    leftMargin = button->x();
    rightMargin = outer->width() - button->geometry().right() - 1;
    centreBefore = outer->geometry().center().x();
    dialog.SetTitle(longer);
    retitled = outer->width();
    centreAfter = outer->geometry().center().x();
    START([&] {
      test::WaitFor([] { return ShownBox() != nullptr; });
      boxWidth = ShownBox()->width();
      ShownBox()->buttons().first()->click();
    });
    MESSAGE("Saved.", "Information Required");
  });
  test::RunAllThreads();
  SetMessageHandler(previous);
  EXPECT_GE(opened, TitleBarNeeds(title));
  EXPECT_NEAR(leftMargin, rightMargin, 2);
  EXPECT_GE(retitled, TitleBarNeeds(longer));
  EXPECT_NEAR(centreBefore, centreAfter, 1);
  EXPECT_GE(boxWidth, TitleBarNeeds("Information Required"));
}

// A window of its own against the screen's left edge, then against its right edge, widened
// each time by a longer title: it stays whole on the screen.
TEST(Window, AWindowWidenedForItsTitleStaysOnTheScreen) {
  QStringList outside;
  START([&] {
    Window dialog(WindowSpec{"Short", WindowKind::Dialog, QRect(0, 0, 60, 30)});
    dialog.Open();
    QWidget *outer = dialog.Outer();
    const QRect screen = outer->screen()->availableGeometry();
    const auto widen = [&](const QString &edge, int x, const QString &title) {
      outer->move(x, screen.top() + 40);
      dialog.SetTitle(title);
      const QRect at = outer->frameGeometry();
      if (!screen.contains(at))
        outside << QStringLiteral("at the %1 edge: %2,%3 %4 wide")
                       .arg(edge)
                       .arg(at.x())
                       .arg(at.y())
                       .arg(at.width());
    };
    widen("left", screen.left(), "A Title Longer Than Its Window");
    widen("right", screen.right() + 1 - outer->frameGeometry().width(),
          "A Title Longer Than Its Window and Longer Still");
  });
  test::RunAllThreads();
  EXPECT_TRUE(outside.isEmpty()) << outside.join(", ").toStdString();
}

} // namespace
} // namespace vx

namespace vx {
namespace {

TEST(Window, ControlsCopyTheirValuesToAndFromTheirVariables) {
  QString checked = "1", option = "Table", category = "News";
  int rating = 7;
  QString afterUpdate;
  START([&] {
    Window window(DialogSpec("values"));
    window.Add<CheckControl>(1, "Site info", QRect(4, 4, 60, 10)).Use(checked);
    auto &group = window.Add<OptionControl>(2, "Type", QRect(4, 20, 100, 40));
    window.Add<RadioControl>(3, group, "Simple", QRect(8, 30, 40, 10), "Simple");
    window.Add<RadioControl>(4, group, "Table", QRect(8, 42, 40, 10), "Table");
    group.Use(option);
    auto &drop = window.Add<DropListControl>(5, QRect(4, 64, 80, 12));
    drop.SetItems({"Games", "News"});
    drop.Use(category);
    window.Add<EntryControl>(6, QRect(4, 80, 30, 10)).Use(rating);
    window.Open();
    window.Display();
    EXPECT_TRUE(window.Get<CheckControl>(1).IsChecked());
    EXPECT_EQ(2, group.Choice());
    EXPECT_EQ(2, drop.Choice());
    EXPECT_EQ("7", window.Get<EntryControl>(6).Text());
    window.Get<CheckControl>(1).SetChecked(false);
    group.SetChoice(1);
    drop.SetChoice(1);
    window.Get<EntryControl>(6).SetText("9");
    window.AcceptAll();
    while (window.Accept()) {
      if (window.CurrentEvent().kind == EventKind::Completed)
        window.Post(EventKind::CloseWindow);
    }
  });
  test::RunAllThreads();
  EXPECT_EQ("0", checked);
  EXPECT_EQ("Simple", option);
  EXPECT_EQ("Games", category);
  EXPECT_EQ(9, rating);
}

} // namespace
} // namespace vx
