#include "library/core/globals.h"
#include "library/reports/report_preview.h"
#include "library/runtime/windows/check_item_control.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/page_image_control.h"
#include "library/runtime/windows/popup_menu.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/spin_control.h"
#include "library/runtime/windows/window.h"
#include "library/runtime/windows/window_bars.h"
#include "support/gui_support.h"
#include "support/report_driver.h"

#include <QScrollArea>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace vx {
namespace {

// Runs ReportPreview over `queue` on a thread of its own while `driver` works its window
// from another, as a user would; returns the preview's answer.
int RunPreview(PageQueue &queue, const std::function<void(Window &)> &driver) {
  int answer = 0;
  const int thread = START([&] {
    ReportPreview(queue);
    answer = GlobalResponse;
  });
  START([&] { driver(test::AwaitWindow(thread, "Report Preview")); });
  test::RunAllThreads();
  return answer;
}

QString Zone(Window &preview, int zone) {
  return preview.Bars().ZoneText(zone);
}

// Posts the event and waits until the page text reads `text`.
void Expect(Window &preview, const Event &event, const QString &text) {
  preview.Post(event);
  test::WaitFor([&] { return Zone(preview, 2) == text; });
}

void SetSpin(Window &preview, int control, int value) {
  auto &spin = preview.Get<SpinControl>(control);
  spin.SetSpinValue(value);
  spin.Update();
}

// Ten pages with 2 × 2 thumbnails page by four; Next stops at the last screen and Previous
// goes back a screen; 3 × 3 shows page 10 alone with the single-page text.
TEST(ReportPreview, ThumbnailsPageByTheScreen) {
  test::SamplePages pages(10);
  bool nextOffAtEnd = false, previousOffAtStart = false;
  const int answer = RunPreview(pages.queue, [&](Window &preview) {
    test::WaitFor([&] { return Zone(preview, 2) == "Page 1 of 10"; });
    EXPECT_EQ("No Zoom", Zone(preview, 3));
    previousOffAtStart = !preview.Find(kPreviewPrevious)->IsEnabled();
    auto *across = static_cast<QSpinBox *>(preview.Find(kPreviewAcrossSpin)->Widget());
    QTest::keyClick(across, Qt::Key_Up); // the user steps Across to 2
    test::WaitFor([&] { return Zone(preview, 2) == "Pages 1-2 of 10"; });
    SetSpin(preview, kPreviewDownSpin, 2);
    Expect(preview, Event{EventKind::NewSelection, kPreviewDownSpin}, "Pages 1-4 of 10");
    Expect(preview, Event{EventKind::Accepted, kPreviewNext}, "Pages 5-8 of 10");
    Expect(preview, Event{EventKind::Accepted, kPreviewNext}, "Pages 9-10 of 10");
    nextOffAtEnd = !preview.Find(kPreviewNext)->IsEnabled();
    EXPECT_TRUE(preview.Find(kThumbnailImage + 2)->IsHidden()); // pages 11 and 12 do not exist
    Expect(preview, Event{EventKind::Accepted, kPreviewPrevious}, "Pages 5-8 of 10");
    Expect(preview, Event{EventKind::Accepted, kPreviewPrevious}, "Pages 1-4 of 10");
    SetSpin(preview, kPreviewAcrossSpin, 3);
    SetSpin(preview, kPreviewDownSpin, 3);
    Expect(preview, Event{EventKind::NewSelection, kPreviewAcrossSpin}, "Pages 1-9 of 10");
    Expect(preview, Event{EventKind::Accepted, kPreviewNext}, "Page 10 of 10");
    EXPECT_EQ("Sample page 10", test::PageTexts(preview.Find(kThumbnailImage)->Text()).value(0));
    preview.Post(EventKind::Accepted, kPreviewExitButton);
  });
  EXPECT_TRUE(previousOffAtStart);
  EXPECT_TRUE(nextOffAtEnd);
  EXPECT_EQ(2, answer);
}

// A click on the third thumbnail while page 5 is first shows page 7 at the page's width; a
// click on it goes back to the thumbnails; Across from the toolbar does too when zoomed.
TEST(ReportPreview, ClicksZoomInAndOut) {
  test::SamplePages pages(10);
  RunPreview(pages.queue, [&](Window &preview) {
    SetSpin(preview, kPreviewAcrossSpin, 2);
    SetSpin(preview, kPreviewDownSpin, 2);
    Expect(preview, Event{EventKind::NewSelection, kPreviewDownSpin}, "Pages 1-4 of 10");
    Expect(preview, Event{EventKind::Accepted, kPreviewNext}, "Pages 5-8 of 10");
    QTest::mouseClick(preview.Find(kThumbnailImage + 2)->Widget(), Qt::LeftButton);
    test::WaitFor([&] { return Zone(preview, 2) == "Page 7 of 10"; });
    EXPECT_EQ("Zoom (Page Width)", Zone(preview, 3));
    EXPECT_FALSE(preview.Find(kThumbnailImage));
    auto &zoomed = preview.Get<PageImageControl>(kPreviewZoomedPage);
    EXPECT_EQ("Sample page 7", test::PageTexts(zoomed.Text()).value(0));
    EXPECT_TRUE(preview.Get<CheckItemControl>(kPreviewNoZoom + 1).IsChecked());
    QTest::mouseClick(static_cast<QScrollArea *>(zoomed.Widget())->widget(), Qt::LeftButton);
    test::WaitFor([&] { return Zone(preview, 3) == "No Zoom"; });
    EXPECT_EQ("Pages 7-10 of 10", Zone(preview, 2));
    preview.Post(EventKind::Accepted, kPreviewNoZoom + 4); // Zoom > 100 Percent
    test::WaitFor([&] { return Zone(preview, 3) == "Zoom (100%)"; });
    EXPECT_EQ(preview.Get<PageImageControl>(kPreviewZoomedPage).NaturalSize(),
              preview.Get<PageImageControl>(kPreviewZoomedPage).DrawnSize());
    Expect(preview, Event{EventKind::Accepted, kPreviewNext}, "Page 8 of 10");
    auto *across = static_cast<QSpinBox *>(preview.Find(kPreviewAcrossSpin)->Widget());
    QTest::keyClick(across, Qt::Key_Up);
    test::WaitFor([&] { return Zone(preview, 3) == "No Zoom"; });
    EXPECT_EQ("Pages 8-10 of 10", Zone(preview, 2));
    preview.Outer()->close(); // the close box
  });
}

// The Zoom button's popup checks the current mode; Page Down and Page Up page from any
// control; a page typed past the last is replaced by the last.
TEST(ReportPreview, PopupKeysAndTypedPages) {
  test::SamplePages pages(10);
  QStringList popups;
  const PopupHandler previous = SetPopupHandler([&](const PopupRequest &request) {
    QStringList texts;
    for (const PopupItem &item : request.items)
      texts << (item.separator ? "-" : (item.checked ? "+" : "") + item.text);
    popups << texts.join('|');
    return 6; // 200%
  });
  const int answer = RunPreview(pages.queue, [&](Window &preview) {
    test::WaitFor([&] { return Zone(preview, 2) == "Page 1 of 10"; });
    auto *page = static_cast<QSpinBox *>(preview.Find(kPreviewPageSpin)->Widget());
    QTest::keyClick(page, Qt::Key_PageDown);
    test::WaitFor([&] { return Zone(preview, 2) == "Page 2 of 10"; });
    QTest::keyClick(page, Qt::Key_PageUp);
    test::WaitFor([&] { return Zone(preview, 2) == "Page 1 of 10"; });
    page->selectAll();
    QTest::keyClicks(page, "99");
    QTest::keyClick(page, Qt::Key_Return);
    test::WaitFor([&] { return Zone(preview, 2) == "Page 10 of 10"; });
    EXPECT_EQ(10, page->value());
    preview.Post(EventKind::Accepted, kPreviewZoomButton);
    test::WaitFor([&] { return Zone(preview, 3) == "Zoom (200%)"; });
    preview.Post(EventKind::Accepted, kPreviewZoomButton);
    test::WaitFor([&] { return popups.size() == 2; });
    preview.Post(EventKind::Accepted, kPreviewPrintButton);
  });
  SetPopupHandler(previous);
  ASSERT_EQ(2, popups.size());
  EXPECT_EQ("+No Zoom|-|Page Width|50%|75%|100%|200%|300%", popups[0]);
  EXPECT_EQ("No Zoom|-|Page Width|50%|75%|100%|+200%|300%", popups[1]);
  EXPECT_EQ(1, answer);
}

// Escape in the Jump dialog keeps the page shown; Escape from the toolbar's Page spin leaves
// the preview without printing.
TEST(ReportPreview, EscapeCancelsTheJumpAndLeavesWithoutPrinting) {
  test::SamplePages pages(3);
  const int answer = RunPreview(pages.queue, [&](Window &preview) {
    test::WaitFor([&] { return Zone(preview, 2) == "Page 1 of 3"; });
    const int thread = preview.Thread();
    preview.Post(EventKind::Accepted, kPreviewJump);
    Window &jump = test::AwaitWindow(thread, "Jump to a Report Page");
    auto *spin = static_cast<QSpinBox *>(jump.Find(2)->Widget());
    test::WaitFor([&] { return spin->value() == 1; });
    QTest::keyClick(spin, Qt::Key_Up);
    QTest::keyClick(spin, Qt::Key_Escape);
    test::WaitFor([&] { return scheduler::WindowsOf(thread).back() == &preview; });
    EXPECT_EQ("Page 1 of 3", Zone(preview, 2));
    QTest::keyClick(preview.Find(kPreviewPageSpin)->Widget(), Qt::Key_Escape);
  });
  EXPECT_EQ(2, answer);
}

// A one-page report: paging is off and the page shows whole; File > Print answers 1.
TEST(ReportPreview, OnePageTurnsPagingOff) {
  test::SamplePages pages(1);
  const int answer = RunPreview(pages.queue, [&](Window &preview) {
    test::WaitFor([&] { return Zone(preview, 2) == "Page 1 of 1"; });
    for (int control :
         {int(kPreviewPageSpin), int(kPreviewAcrossSpin), int(kPreviewDownSpin), int(kPreviewViewMenu)})
      EXPECT_FALSE(preview.Find(control)->IsEnabled()) << control;
    preview.Get<MenuItemControl>(kPreviewPrint).Choose();
  });
  EXPECT_EQ(1, answer);
}

// A page file that cannot be read gives a page size of 0: the preview still opens, lays out
// and zooms to the page's width without dividing by it.
TEST(ReportPreview, AnUnreadablePageDividesByNothing) {
  PageQueue queue;
  queue.Append("/nonexistent/page1.vxp");
  queue.Append("/nonexistent/page2.vxp");
  const int answer = RunPreview(queue, [&](Window &preview) {
    test::WaitFor([&] { return Zone(preview, 2) == "Page 1 of 2"; });
    preview.Post(EventKind::Accepted, kPreviewNoZoom + 1);
    test::WaitFor([&] { return Zone(preview, 3) == "Zoom (Page Width)"; });
    SetSpin(preview, kPreviewAcrossSpin, 10);
    SetSpin(preview, kPreviewDownSpin, 10);
    Expect(preview, Event{EventKind::NewSelection, kPreviewDownSpin}, "Pages 1-2 of 2");
    preview.Post(EventKind::Accepted, kPreviewExit);
  });
  EXPECT_EQ(2, answer);
}

} // namespace
} // namespace vx
