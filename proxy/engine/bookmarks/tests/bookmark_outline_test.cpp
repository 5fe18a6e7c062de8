#include "proxy/engine/bookmarks/bookmark_outline.h"

#include <gtest/gtest.h>

namespace ql {
namespace {

std::unique_ptr<TBMInfo> Node(const char *title, bool folder) {
  auto info = std::make_unique<TBMInfo>(45000.0);
  info->Title = title;
  info->Folder = folder ? 1 : 0;
  return info;
}

QString Outline(const TBookmarkOutline &tree) {
  QStringList lines;
  tree.ForEach([&lines, &tree](const TBookmarkNode &node) {
    EXPECT_EQ(tree.Item(tree.ItemNumber(&node)), &node);
    lines << QString(node.Level() - 1, QLatin1Char('.')) + QString::fromUtf8(node.Info().Title);
  });
  return lines.join(QLatin1Char(' '));
}

// A/ (a1, B/ (b1)), C/ (empty), x
class BookmarkOutlineTest : public ::testing::Test {
protected:
  BookmarkOutlineTest() {
    a_ = tree_.Append(nullptr, Node("A", true));
    a1_ = tree_.Append(a_, Node("a1", false));
    b_ = tree_.Append(a_, Node("B", true));
    b1_ = tree_.Append(b_, Node("b1", false));
    c_ = tree_.Append(nullptr, Node("C", true));
    x_ = tree_.Append(nullptr, Node("x", false));
  }
  TBookmarkOutline tree_;
  TBookmarkNode *a_, *a1_, *b_, *b1_, *c_, *x_;
};

TEST_F(BookmarkOutlineTest, NewNodesGoNextToTheSelectedNode) {
  EXPECT_EQ(tree_.ItemNumber(x_), 6);
  tree_.AddNear(a_, Node("first in A", false)); // has children: first child, A expanded
  EXPECT_TRUE(a_->Expanded);
  tree_.AddNear(c_, Node("in C", false));       // empty folder: its child
  tree_.AddNear(b1_, Node("before b1", false)); // bookmark: just before it
  tree_.AddNear(nullptr, Node("end", true));
  EXPECT_EQ(Outline(tree_), "A .first in A .a1 .B ..before b1 ..b1 C .in C x end");
  EXPECT_EQ(tree_.Count(), 10);
}

TEST_F(BookmarkOutlineTest, DropsFollowTheTargetAndNeverGoIntoThemselves) {
  EXPECT_TRUE(tree_.Drop(x_, a_)); // onto a node with children: its first child
  EXPECT_EQ(Outline(tree_), "A .x .a1 .B ..b1 C");
  EXPECT_TRUE(tree_.Drop(b_, c_)); // onto an empty folder: its last child, subtree along
  EXPECT_EQ(Outline(tree_), "A .x .a1 C .B ..b1");
  EXPECT_TRUE(tree_.Drop(a1_, b1_)); // onto a bookmark: just before it
  EXPECT_EQ(Outline(tree_), "A .x C .B ..a1 ..b1");
  // Onto itself or below itself: nothing moves.
  EXPECT_FALSE(tree_.Drop(c_, c_));
  EXPECT_FALSE(tree_.Drop(c_, b_));
  EXPECT_FALSE(tree_.Drop(c_, b1_));
  EXPECT_FALSE(tree_.Move(c_, b_, 0));
  // Below the last item: a folder goes to the end of the top level, a bookmark stays.
  EXPECT_FALSE(tree_.Drop(x_, nullptr));
  EXPECT_TRUE(tree_.Drop(b_, nullptr));
  EXPECT_EQ(Outline(tree_), "A .x C B .a1 .b1");
  EXPECT_EQ(b1_->Level(), 2);
}

TEST_F(BookmarkOutlineTest, RemovingTakesTheSubtreeAndReturnsItsRecords) {
  b1_->Info().Locked = 1;
  EXPECT_TRUE(TBookmarkOutline::SubtreeLocked(a_));
  EXPECT_FALSE(TBookmarkOutline::SubtreeLocked(c_));
  const auto records = tree_.Remove(a_);
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[3]->Title, "b1");
  EXPECT_EQ(Outline(tree_), "C x");
  EXPECT_EQ(tree_.Count(), 2);
  EXPECT_EQ(tree_.Item(2), x_);
  EXPECT_EQ(tree_.Item(3), nullptr);
}

} // namespace
} // namespace ql
