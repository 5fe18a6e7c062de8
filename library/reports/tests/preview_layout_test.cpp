#include "library/reports/preview_layout.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

// Cells keep the page's proportions, 3 units apart from (1, 1), and fit the window less
// 18 units at the bottom.
TEST(PreviewLayout, CellsKeepThePagesProportions) {
  const auto cells = ThumbnailCells(QSize(400, 300), 2, 2, 11.0 / 8.5);
  ASSERT_EQ(4u, cells.size());
  // (300 - 18 - 5) / 2 = 138 high; 138 / 1.294 = 106 wide
  EXPECT_EQ(QRect(1, 1, 106, 138), cells[0]);
  EXPECT_EQ(QRect(110, 1, 106, 138), cells[1]);
  EXPECT_EQ(QRect(1, 142, 106, 138), cells[2]);
  const auto wide = ThumbnailCells(QSize(100, 1000), 1, 1, 11.0 / 8.5);
  EXPECT_EQ(QRect(1, 1, 98, 126), wide[0]); // width-bound: 98 * 1.294 = 126
}

// A window of no size, a page of no size or a grid of none still gives cells of one unit.
TEST(PreviewLayout, DegenerateSizesDivideByNothing) {
  for (const auto &cells :
       {ThumbnailCells(QSize(0, 0), 10, 10, 1.3), ThumbnailCells(QSize(400, 300), 0, -1, 0),
        ThumbnailCells(QSize(-5, -5), 3, 3, 1e9)}) {
    ASSERT_FALSE(cells.empty());
    for (const QRect &cell : cells) {
      EXPECT_GE(cell.width(), 1);
      EXPECT_GE(cell.height(), 1);
    }
  }
  EXPECT_EQ(1.0, ZoomFactor(ZoomMode::PageWidth, 500, 0));
  EXPECT_EQ(0.5, ZoomFactor(ZoomMode::Percent50, 500, 0));
}

TEST(PreviewLayout, PageTextsAndPaging) {
  EXPECT_EQ("Pages 1-4 of 10", PageText(1, 4, 10));
  EXPECT_EQ("Pages 9-10 of 10", PageText(9, 4, 10));
  EXPECT_EQ("Page 10 of 10", PageText(10, 9, 10));
  EXPECT_EQ("Page 3 of 10", PageText(3, 1, 10));
  EXPECT_EQ(1, PreviousPage(3, 4)); // not below page 1
  EXPECT_EQ(5, PreviousPage(9, 4));
  EXPECT_EQ(10, NextPage(1, 9, 10));  // 1 + 9 <= 10
  EXPECT_EQ(9, NextPage(9, 4, 10));   // 13 > 10: no change
  EXPECT_EQ(10, NextPage(10, 0, 10)); // zoomed, on the last page
  EXPECT_EQ("Zoom (Page Width)", ZoomText(ZoomMode::PageWidth));
  EXPECT_FALSE(ZoomScrollsAcross(ZoomMode::PageWidth));
  EXPECT_EQ("-No Zoom|-|-Page Width|-50%|+75%|-100%|-200%|-300%", ZoomPopupText(ZoomMode::Percent75));
}

} // namespace
} // namespace vx
