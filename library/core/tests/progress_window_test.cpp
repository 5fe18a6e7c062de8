#include "library/core/progress_window.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

// The whole percentage is cut, never passes 100, and nothing to do counts as done, so a
// file that was empty when the work began never divides by zero.
TEST(ProgressWindow, PercentIsCutAndBounded) {
  EXPECT_EQ(0, ProgressWindow::PercentOf(0, 3));
  EXPECT_EQ(66, ProgressWindow::PercentOf(2, 3));
  EXPECT_EQ(100, ProgressWindow::PercentOf(4, 3)); // the file grew meanwhile
  EXPECT_EQ(100, ProgressWindow::PercentOf(5, 0));
  EXPECT_EQ("  7% Completed", ProgressWindow::PercentText(7));
  EXPECT_EQ("100% Completed", ProgressWindow::PercentText(100));
}

} // namespace
} // namespace vx
