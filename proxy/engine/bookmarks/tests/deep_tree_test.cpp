// A bookmark tree as deep as the bookmark file can hold: imported, saved, read back, moved and
// freed on a thread whose stack is far too small for a walk that recurses once per level; and
// the imports and moves that would go deeper refused, the tree kept as it was.
#include "proxy/engine/bookmarks/bookmark_file.h"
#include "proxy/engine/bookmarks/bookmark_format.h"
#include "proxy/engine/bookmarks/bookmark_import.h"
#include "proxy/engine/bookmarks/bookmark_outline.h"

#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <functional>

namespace ql {
namespace {

// A browser's bookmark file with `depth` folders each inside the one before, and a bookmark in
// the innermost.
QByteArray NestedFolders(int depth) {
  QByteArray html = "<!DOCTYPE NETSCAPE-Bookmark-file-1><TITLE>Deep</TITLE><DL><p>";
  for (int level = 0; level < depth; ++level)
    html += "<DT><H3>f</H3><DL><p>";
  html += "<DT><A HREF=\"http://deep.example/\">Bottom</A>";
  for (int level = 0; level < depth; ++level)
    html += "</DL><p>";
  return html + "</DL>";
}

// Runs work on a thread with a 256 KiB stack and waits for it.
void OnSmallStack(const std::function<void()> &work) {
  QThread *thread = QThread::create(work);
  thread->setStackSize(256 * 1024);
  thread->start();
  ASSERT_TRUE(thread->wait(QDeadlineTimer(120000)));
  delete thread;
}

TEST(DeepBookmarkTree, TheDeepestTreeTheFileHoldsIsSavedReadMovedAndFreedWithoutRecursion) {
  QTemporaryDir dir;
  OnSmallStack([&dir] {
    auto tree = std::make_unique<TBookmarkOutline>();
    // The import folder is level 1; the file's folders fill the levels below it, and their
    // bookmark lies at the deepest level there is.
    bool tooDeep = true;
    TBookmarkNode *folder =
        ImportBookmarkText(NestedFolders(kMaxBookmarkLevel - 2), *tree, nullptr, &tooDeep);
    ASSERT_NE(folder, nullptr);
    EXPECT_FALSE(tooDeep);
    ASSERT_EQ(tree->Count(), kMaxBookmarkLevel);
    EXPECT_EQ(tree->Item(kMaxBookmarkLevel)->Level(), kMaxBookmarkLevel);
    EXPECT_EQ(TBookmarkOutline::Height(*folder), kMaxBookmarkLevel);

    TBookmarkFile file(dir.path());
    file.SaveExtOutlineNoDelay(*tree);
    TBookmarkOutline read;
    ASSERT_EQ(file.LoadExtOutline(read), TBookmarkRead::Loaded);
    EXPECT_EQ(WriteBookmarkFile(read), WriteBookmarkFile(*tree));
    EXPECT_EQ(read.Item(kMaxBookmarkLevel)->Info().URL, "http://deep.example/");

    // A move takes the subtree's levels with it.
    TBookmarkNode *middle = tree->Item(1000);
    ASSERT_TRUE(tree->Move(middle, nullptr, 1));
    EXPECT_EQ(tree->Item(tree->Count())->Level(), kMaxBookmarkLevel - 999);
    ASSERT_TRUE(tree->Drop(middle, tree->Item(999)));
    EXPECT_EQ(WriteBookmarkFile(read), WriteBookmarkFile(*tree));
    EXPECT_FALSE(TBookmarkOutline::SubtreeLocked(folder));

    const auto records = tree->Remove(tree->Item(2));
    EXPECT_EQ(records.size(), std::size_t(kMaxBookmarkLevel - 1));
    EXPECT_EQ(tree->Count(), 1);
    read.Clear();
    tree.reset();
  });
}

std::unique_ptr<TBMInfo> Node(const char *title, bool folder) {
  auto info = std::make_unique<TBMInfo>();
  info->Title = title;
  info->Folder = folder ? 1 : 0;
  if (!folder)
    info->URL = QByteArray("http://") + title + ".example/";
  return info;
}

TEST(DeepBookmarkTree, ImportsAndMovesThatWouldGoDeeperAreRefusedAndTheTreeKept) {
  OnSmallStack([] {
    TBookmarkOutline tree;
    TBookmarkNode *mine = tree.Append(nullptr, Node("Mine", true));
    TBookmarkNode *leaf = tree.Append(mine, Node("leaf", false));
    TBookmarkNode *other = tree.Append(nullptr, Node("Other", true));
    tree.Append(other, Node("inner", false));
    const QByteArray before = WriteBookmarkFile(tree);

    // Into "Mine" (level 1), whose import folder goes on level 2: too deep by two levels.
    bool tooDeep = false;
    EXPECT_EQ(ImportBookmarkText(NestedFolders(kMaxBookmarkLevel - 1), tree, mine, &tooDeep), nullptr);
    EXPECT_TRUE(tooDeep);
    EXPECT_EQ(WriteBookmarkFile(tree), before);
    EXPECT_FALSE(mine->Expanded);

    // Next to "leaf", on level 2 too, with its bookmark on the deepest level: taken.
    ASSERT_NE(ImportBookmarkText(NestedFolders(kMaxBookmarkLevel - 3), tree, leaf, &tooDeep), nullptr);
    EXPECT_FALSE(tooDeep);
    TBookmarkNode *bottom = tree.Item(tree.Count() - 3);
    ASSERT_EQ(bottom->Info().Title, "Bottom");
    EXPECT_EQ(bottom->Level(), kMaxBookmarkLevel);

    // "Other" with its bookmark fits where its bookmark lands on the deepest level, not deeper.
    TBookmarkNode *parent = nullptr;
    int row = 0;
    ASSERT_TRUE(tree.DropPlace(other, bottom, &parent, &row));
    EXPECT_EQ(parent, bottom->Parent());
    EXPECT_FALSE(TBookmarkOutline::Fits(other, parent));
    const QByteArray full = WriteBookmarkFile(tree);
    EXPECT_FALSE(tree.Drop(other, bottom));
    EXPECT_FALSE(tree.Move(other, bottom->Parent(), 0));
    EXPECT_EQ(WriteBookmarkFile(tree), full);
    EXPECT_TRUE(tree.Drop(other, bottom->Parent()->Parent()));
    EXPECT_EQ(other->Level(), kMaxBookmarkLevel - 1);
    EXPECT_EQ(other->Child(0)->Level(), kMaxBookmarkLevel);

    // Nothing new goes below the deepest level; beside it is still room.
    EXPECT_EQ(tree.Append(bottom, Node("below", false)), nullptr);
    EXPECT_EQ(tree.Insert(bottom->Parent(), 0, Node("beside", false))->Level(), kMaxBookmarkLevel);
  });
}

} // namespace
} // namespace ql
