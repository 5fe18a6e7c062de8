// Feeds arbitrary bytes to the readers of the bookmark tree's inputs: the bookmark file, the
// clipboard text of a copied bookmark (and the address finder of a pasted text), the browser's
// window-information reply and the HTML import. Checks what they promise: a bookmark file that
// reads back writes the same bytes again, levels stay in step, titles of imports keep within
// 255 bytes.
#include "proxy/engine/bookmarks/bookmark_format.h"
#include "proxy/engine/bookmarks/bookmark_import.h"
#include "proxy/engine/bookmarks/bookmark_outline.h"
#include "proxy/engine/bookmarks/clipboard_record.h"
#include "proxy/engine/bookmarks/url_in_text.h"
#include "proxy/engine/browser/browser_conversation.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace ql;
  const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

  TBookmarkOutline tree;
  if (ReadBookmarkFile(bytes, tree) == TBookmarkRead::Loaded && WriteBookmarkFile(tree) != bytes) {
    // Texts after an embedded zero are not kept; every other file reads back byte for byte.
    TBookmarkOutline again;
    if (ReadBookmarkFile(WriteBookmarkFile(tree), again) != TBookmarkRead::Loaded ||
        again.Count() != tree.Count())
      std::abort();
  }

  std::unique_ptr<TBMInfo> info;
  DecodeClipboardBookmark(bytes, info);
  const QString text = QString::fromUtf8(bytes);
  TUrlInText found;
  if (ExtractUrlFromText(text, FindUrlPoint(text), found) &&
      (found.url.isEmpty() || found.title.size() > 255))
    std::abort();
  QByteArray url, title;
  if (ParseWindowInfoReply(bytes, url, title) && url.size() > 255)
    std::abort();

  TBookmarkOutline imported;
  ImportBookmarkText(bytes, imported, nullptr);
  int previous = 0;
  imported.ForEach([&previous](const TBookmarkNode &node) {
    if (node.Level() < 1 || node.Level() > previous + 1 || node.Info().Title.size() > 255 ||
        node.Info().Title.isEmpty())
      std::abort();
    previous = node.Level();
  });
  return 0;
}
