// The rules by which the links of a fetched page are queued for an Autobrowse run.
#include "proxy/engine/autobrowse/auto_item.h"
#include "proxy/engine/autobrowse/auto_queue.h"
#include "proxy/engine/autobrowse/bookmark_info.h"

#include <gtest/gtest.h>

namespace ql {
namespace {

class AutoQueueTest : public ::testing::Test {
protected:
  AutoQueueTest() {
    bookmark.URL = "http://a.test/x/y/index.html";
    bookmark.Depth = 1;
    page.BMInfo = &bookmark;
    page.URL = "http://a.test:80/x/y/index.html";
    queue.Init();
  }

  std::vector<std::pair<QByteArray, int>> Waiting() const {
    std::vector<std::pair<QByteArray, int>> urls;
    for (const auto &item : queue.Items())
      urls.emplace_back(item->URL, item->Depth);
    return urls;
  }

  TBMInfo bookmark;
  TAutoItem page;
  TAutoQueue queue;
};

using Queued = std::vector<std::pair<QByteArray, int>>;

TEST_F(AutoQueueTest, OnlyHttpLinksAreQueuedEachOnce) {
  for (const char *link : {"https://a.test:443/s.html", "ftp://a.test/f.txt", "mailto:me@a.test",
                           "javascript:alert(1)", "!https://a.test/i.gif", "^ftp://a.test/"})
    EXPECT_EQ(queue.QueueAutoLink(link, page), nullptr) << link;
  EXPECT_NE(queue.QueueAutoLink("http://a.test:80/x/y/p.html", page), nullptr);
  EXPECT_EQ(queue.QueueAutoLink("http://a.test:80/x/y/p.html", page), nullptr);
  EXPECT_NE(queue.QueueAutoLink("HTTP://a.test:80/x/y/q.html", page), nullptr);
  EXPECT_EQ(Waiting(), (Queued{{"http://a.test:80/x/y/p.html", 1}, {"HTTP://a.test:80/x/y/q.html", 1}}));

  queue.Clear();
  EXPECT_EQ(queue.QueueAutoLink("http://a.test:80/x/y/r.html", page), nullptr);
}

TEST_F(AutoQueueTest, MarksDecideDepthAndPlace) {
  queue.QueueAutoLink("http://a.test:80/x/y/p.html", page);
  queue.QueueAutoLink("!http://a.test:80/i.gif", page);
  queue.QueueAutoLink("^http://a.test:80/frame.html", page);
  queue.QueueAutoLink("#http://a.test:80/e.swf", page);
  queue.QueueAutoLink("*http://a.test:80/A.class", page);
  EXPECT_EQ(Waiting(), (Queued{{"http://a.test:80/A.class", 3},
                               {"http://a.test:80/e.swf", 3},
                               {"http://a.test:80/frame.html", 0},
                               {"http://a.test:80/i.gif", 3},
                               {"http://a.test:80/x/y/p.html", 1}}));

  // At the bookmark's depth a page's ordinary links stop; its images still come, and a page
  // met at image depth gets no images of its own.
  TAutoItem deep;
  deep.BMInfo = &bookmark;
  deep.Depth = 1;
  EXPECT_EQ(queue.QueueAutoLink("http://a.test:80/x/y/deeper.html", deep), nullptr);
  EXPECT_NE(queue.QueueAutoLink("!http://a.test:80/deep.gif", deep), nullptr);
  deep.Depth = 3;
  EXPECT_EQ(queue.QueueAutoLink("!http://a.test:80/deepest.gif", deep), nullptr);

  bookmark.InlineImages = 0;
  EXPECT_EQ(queue.QueueAutoLink("!http://a.test:80/off.gif", page), nullptr);
}

TEST_F(AutoQueueTest, DirectoryMovementAndOtherHosts) {
  const auto follows = [&](uint8_t movement, const char *link) {
    queue.Init();
    bookmark.DirMovement = movement;
    return queue.QueueAutoLink(link, page) != nullptr;
  };
  const char *below = "http://a.test:80/x/y/z/p.html";
  const char *above = "http://a.test:80/x/p.html";
  const char *same = "http://a.test:80/x/y/p.html";
  EXPECT_TRUE(follows(ForwardsOnly, below));
  EXPECT_FALSE(follows(ForwardsOnly, above));
  EXPECT_TRUE(follows(BackwardsOnly, above));
  EXPECT_FALSE(follows(BackwardsOnly, below));
  EXPECT_TRUE(follows(CurrentDirOnly, same));
  EXPECT_FALSE(follows(CurrentDirOnly, below));
  EXPECT_TRUE(follows(NoRestriction, above));

  // Another host: only with the follow flag, and at a depth whose links are never followed.
  EXPECT_FALSE(follows(NoRestriction, "http://b.test:80/x/y/p.html"));
  bookmark.FollowExternal = 1;
  bookmark.Depth = 3;
  EXPECT_TRUE(follows(NoRestriction, "http://b.test:80/x/y/p.html"));
  EXPECT_EQ(queue.Items().front()->Depth, 4);
}

TEST_F(AutoQueueTest, KillWordsStopLinksButNotImages) {
  bookmark.KillWords = "Secret\r\n\r\n";
  queue.SetKillWords(bookmark.KillWords, {"logout\nADS"});
  EXPECT_EQ(queue.QueueAutoLink("http://a.test:80/x/y/SECRET.html", page), nullptr);
  EXPECT_EQ(queue.QueueAutoLink("http://a.test:80/x/y/LogOut.html", page), nullptr);
  EXPECT_EQ(queue.QueueAutoLink("^http://a.test:80/x/y/ads.html", page), nullptr);
  EXPECT_NE(queue.QueueAutoLink("!http://a.test:80/secret.gif", page), nullptr);
  EXPECT_NE(queue.QueueAutoLink("*http://a.test:80/Secret.class", page), nullptr);
  EXPECT_NE(queue.QueueAutoLink("http://a.test:80/x/y/public.html", page), nullptr);
}

TEST_F(AutoQueueTest, TheBookmarksPageIsQueuedOnce) {
  auto first = std::make_unique<TAutoItem>();
  first->BMInfo = &bookmark;
  first->URL = bookmark.URL;
  queue.AppendPage(std::move(first));
  EXPECT_EQ(queue.QueueAutoLink("http://a.test:80/x/y/index.html", page), nullptr);
  EXPECT_EQ(queue.Count(), 1u);
}

} // namespace
} // namespace ql
