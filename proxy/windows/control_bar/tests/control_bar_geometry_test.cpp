#include "proxy/windows/control_bar/control_bar_geometry.h"

#include <gtest/gtest.h>

namespace ql {
namespace {

const QSize kScreen(1024, 768);
const QSize kBar(kClosedWidth, kBarHeight);

TEST(ControlBarGeometry, StartPositionFromTheSavedPlace) {
  // None saved, or only one of the two: 100 pixels in from the right and bottom edges.
  EXPECT_EQ(ControlBarStartPosition(-1, -1, kScreen, kBar), QPoint(924, 668));
  EXPECT_EQ(ControlBarStartPosition(-1, 500, kScreen, kBar), QPoint(924, 668));
  EXPECT_EQ(ControlBarStartPosition(10, 20, kScreen, kBar), QPoint(10, 20));
  // Beyond the screen: kept within it.
  EXPECT_EQ(ControlBarStartPosition(5000, 20, kScreen, kBar), QPoint(1024 - kClosedWidth, 20));
  EXPECT_EQ(ControlBarStartPosition(10, 5000, kScreen, kBar), QPoint(10, 768 - kBarHeight));
}

TEST(ControlBarGeometry, OpensTowardsTheRoomyHalfAndClosesOnTheScreen) {
  TBarLayout bar;
  bar.rect = QRect(512, 100, kClosedWidth, kBarHeight);
  const TBarLayout left = OpenBar(bar, 1024);
  EXPECT_EQ(left.state, TBarState::OpenLeft);
  EXPECT_EQ(left.rect, QRect(304, 100, kOpenLeftWidth, kBarHeight));
  EXPECT_EQ(left.panel2Left, 211);
  EXPECT_EQ(left.panel3Left, 3);
  EXPECT_EQ(CloseBar(left, 1024, false).rect, bar.rect);

  bar.rect.moveLeft(511);
  const TBarLayout right = OpenBar(bar, 1024);
  EXPECT_EQ(right.state, TBarState::OpenRight);
  EXPECT_EQ(right.rect, QRect(511, 100, kOpenRightWidth, kBarHeight));
  EXPECT_EQ(right.panel3Left, 40);
  EXPECT_EQ(OpenBar(right, 1024).rect, right.rect);

  // Closing an open-to-the-left bar that was moved against the right edge keeps it whole on
  // the screen; while it is dragged it is left where it is.
  TBarLayout atEdge = left;
  atEdge.rect.moveLeft(1024 - kOpenLeftWidth + 10);
  const TBarLayout closed = CloseBar(atEdge, 1024, false);
  EXPECT_EQ(closed.state, TBarState::Closed);
  EXPECT_EQ(closed.rect, QRect(1024 - kClosedWidth, 100, kClosedWidth, kBarHeight));
  EXPECT_EQ(closed.panel2Left, 3);
  EXPECT_EQ(closed.panel3Left, 40);
  EXPECT_EQ(CloseBar(atEdge, 1024, true).rect.left(), atEdge.rect.left() + kOpenLeftShift);

  TBarLayout offLeft = right;
  offLeft.rect.moveLeft(-20);
  EXPECT_EQ(CloseBar(offLeft, 1024, false).rect.left(), 0);
  EXPECT_EQ(CloseBar(offLeft, 1024, true).rect.left(), -20);
}

} // namespace
} // namespace ql
