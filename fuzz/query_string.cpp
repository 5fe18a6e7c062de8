// Feeds arbitrary bytes to the pseudo-host pages' query decoder and to what takes its values:
// the add-bookmark form (on a small tree) and the Autobrowse queue's link rules.
#include "proxy/engine/pages/query_string.h"
#include "proxy/engine/autobrowse/auto_item.h"
#include "proxy/engine/autobrowse/auto_queue.h"
#include "proxy/engine/autobrowse/bookmark_info.h"
#include "proxy/engine/autobrowse/bookmark_tree.h"
#include "proxy/engine/pages/bookmarks_page.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

class Tree : public ql::TBookmarkTree {
public:
  Tree() {
    auto folder = std::make_unique<ql::TBMInfo>(46000.0);
    folder->Folder = 1;
    folder->SerialId = 1;
    nodes_.push_back(std::move(folder));
  }
  int Count() const override { return static_cast<int>(nodes_.size()); }
  ql::TBMInfo &Info(int node) override { return *nodes_.at(static_cast<std::size_t>(node)); }
  int Level(int node) const override { return node == 0 ? 1 : 2; }
  void AddLastChild(int, std::unique_ptr<ql::TBMInfo> info) override { nodes_.push_back(std::move(info)); }
  void SaveExtOutline() override {}
  void Repaint() override {}

private:
  std::vector<std::unique_ptr<ql::TBMInfo>> nodes_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  for (const qsizetype max : {0, 1, 20, 255})
    if (ql::DecodeQueryString(input, max).size() > max)
      std::abort();
  // A value comes back whole up to its first "%", where the decoding ends, and whole
  // altogether when it holds none.
  const QByteArray back = ql::DecodeQueryString(ql::EncodeQueryValue(input), input.size());
  const qsizetype percent = input.indexOf('%');
  if (percent < 0 ? back != input : !back.startsWith(input.left(percent + 1)))
    std::abort();
  const QByteArray query = '&' + input;
  for (const char *key : {"page", "u", "t", "p", "d", "f", "i", "from"})
    if (ql::GetQueryParam(key, query).size() > 255)
      std::abort();

  Tree tree;
  if (ql::AddBookmarkFromQuery(tree, query)) {
    const ql::TBMInfo &added = tree.Info(1);
    if (added.URL.isEmpty() || added.Depth < 0 || added.Depth > 9 || added.Days < 1 || added.Weeks < 1 ||
        added.Weekday < 0 || added.Weekday > 6)
      std::abort();
  }

  ql::TBMInfo bookmark(46000.0);
  bookmark.URL = "http://a.test/x/y/index.html";
  bookmark.Depth = 2;
  bookmark.FollowExternal = 1;
  ql::TAutoItem page;
  page.BMInfo = &bookmark;
  page.URL = bookmark.URL;
  ql::TAutoQueue queue;
  queue.Init();
  queue.SetKillWords(input.left(64), {});
  for (const QByteArray &link : input.split('\n'))
    queue.QueueAutoLink(link, page);
  return 0;
}
