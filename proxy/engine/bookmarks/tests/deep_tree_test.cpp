// A bookmark tree as deep as the bookmark file can hold: imported, saved, read back, moved and
// freed on a thread whose stack is far too small for a walk that recurses once per level.
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

} // namespace
} // namespace ql
