#include "proxy/engine/bookmarks/bookmark_import.h"

#include "proxy/engine/bookmarks/bookmark_outline.h"
#include "proxy/engine/html/html_entities.h"
#include "proxy/engine/html/html_title.h"
#include "proxy/engine/html/html_words.h"
#include "proxy/engine/net/own_addresses.h"

#include <QFileInfo>

namespace ql {

namespace {

constexpr qsizetype kMaxTitleBytes = 255;
// The most of a link's or heading's text that is kept before decoding.
constexpr qsizetype kMaxCollected = 4096;
constexpr qsizetype kDoctypeLength = 26;
// The longest document title kept.
constexpr qsizetype kMaxDocumentTitle = 100;

enum class TFolderMode { Off, BrowserBookmarks, OwnPage };

// Walks the tags and the text between them. Comments ("<!--" ... "-->") are passed over whole.
class TScanner {
public:
  explicit TScanner(const QByteArray &html) : html_(html) {}

  // The next tag's text (after its "<", up to and with its ">"); the text before it goes to
  // *between when given,
  // up to kMaxCollected bytes. False at the end of the document.
  bool NextTag(QByteArray &tag, QByteArray *between = nullptr) {
    while (pos_ < html_.size()) {
      const qsizetype open = html_.indexOf('<', pos_);
      const qsizetype textEnd = open < 0 ? html_.size() : open;
      if (between != nullptr && between->size() < kMaxCollected)
        between->append(html_.constData() + pos_, std::min(textEnd - pos_, kMaxCollected - between->size()));
      if (open < 0) {
        pos_ = html_.size();
        return false;
      }
      if (html_.mid(open, 4) == "<!--") {
        const qsizetype end = html_.indexOf("-->", open + 4);
        pos_ = end < 0 ? html_.size() : end + 3;
        continue;
      }
      const qsizetype close = html_.indexOf('>', open + 1);
      const qsizetype tagEnd = close < 0 ? html_.size() : close + 1;
      tag = html_.mid(open + 1, tagEnd - open - 1);
      pos_ = tagEnd;
      return true;
    }
    return false;
  }

private:
  const QByteArray &html_;
  qsizetype pos_ = 0;
};

QByteArray FirstWord(const QByteArray &tag) {
  qsizetype pos = 0;
  return ReadHtmlWord(tag, pos);
}

// A title out of collected text: references decoded, line breaks and tabs as blanks, trimmed,
// cut to 255 bytes.
QByteArray TitleOf(const QByteArray &raw) {
  QByteArray title = DecodeHtmlEntities(raw);
  for (char &c : title) {
    if (c == '\r' || c == '\n' || c == '\t')
      c = ' ';
  }
  return CutUtf8(title.trimmed(), kMaxTitleBytes).trimmed();
}

bool IsOwnAddress(const QByteArray &url) {
  const QByteArray lower = url.toLower();
  return lower.contains(QByteArray("http://") + kPseudoHost) ||
         lower.contains(QByteArray(kNewsAddress).toLower());
}

// The text of the document's title element: after the first tag whose trimmed text begins
// "title" (any case), up to the next tag.
QByteArray DocumentTitle(const QByteArray &html) {
  TScanner scanner(html);
  QByteArray tag;
  while (scanner.NextTag(tag)) {
    if (tag.trimmed().toLower().startsWith("title")) {
      QByteArray text;
      scanner.NextTag(tag, &text);
      return CutUtf8(TitleOf(text), kMaxDocumentTitle).trimmed();
    }
  }
  return {};
}

class TImport {
public:
  TImport(TBookmarkOutline &tree, TBookmarkNode *folder)
      : tree_(tree), importFolder_(folder), current_(folder) {}

  // True when the document's folders went deeper than the tree may; the import stopped there.
  bool TooDeep() const { return tooDeep_; }

  void Run(const QByteArray &html) {
    TScanner scanner(html);
    QByteArray tag;
    while (!tooDeep_ && scanner.NextTag(tag)) {
      if (tag.size() < 2 || tag.startsWith('!')) {
        const QByteArray doctype = tag.left(kDoctypeLength).toLower();
        if (doctype == "!doctype netscape-bookmark")
          mode_ = TFolderMode::BrowserBookmarks;
        else if (doctype == "!doctype quenlark-bookmark")
          mode_ = TFolderMode::OwnPage;
        continue;
      }
      qsizetype pos = 0;
      const QByteArray word = ReadHtmlWord(tag, pos);
      if (word == "A" && ReadHtmlWord(tag, pos) == "HREF") {
        const QByteArray url = DecodeHtmlEntities(ReadHtmlAttrValue(tag, pos));
        AddLink(url, CollectUntil(scanner, [](const QByteArray &w) { return w == "/A"; }));
      } else if (mode_ != TFolderMode::Off) {
        const char *heading = mode_ == TFolderMode::BrowserBookmarks ? "H3" : "B";
        if (word == heading)
          AddFolder(CollectUntil(scanner, [](const QByteArray &w) { return w.startsWith('/'); }));
        else if (word == "DL")
          OpenPending();
        else if (word == "/DL")
          CloseLevel();
      }
    }
  }

private:
  template <typename F> static QByteArray CollectUntil(TScanner &scanner, F ends) {
    QByteArray text;
    QByteArray tag;
    while (scanner.NextTag(tag, &text)) {
      if (ends(FirstWord(tag)))
        break;
    }
    return text;
  }

  void AddLink(const QByteArray &url, const QByteArray &text) {
    pending_ = nullptr;
    if (!url.contains("://") || IsOwnAddress(url))
      return;
    auto info = std::make_unique<TBMInfo>();
    info->URL = url;
    info->Title = TitleOf(text);
    if (info->Title.isEmpty())
      info->Title = "New Document";
    tooDeep_ = tree_.Append(current_, std::move(info)) == nullptr;
  }

  void AddFolder(const QByteArray &text) {
    auto info = std::make_unique<TBMInfo>();
    info->Folder = 1;
    info->Title = TitleOf(text);
    if (info->Title.isEmpty())
      info->Title = "New Folder";
    pending_ = tree_.Append(current_, std::move(info));
    tooDeep_ = pending_ == nullptr;
  }

  // The list that follows a heading holds that folder's entries.
  void OpenPending() {
    if (pending_ != nullptr)
      current_ = pending_;
    pending_ = nullptr;
  }

  void CloseLevel() {
    pending_ = nullptr;
    if (current_ != importFolder_ && current_->Parent() != nullptr)
      current_ = current_->Parent();
  }

  TBookmarkOutline &tree_;
  TBookmarkNode *importFolder_;
  TBookmarkNode *current_;
  TBookmarkNode *pending_ = nullptr;
  TFolderMode mode_ = TFolderMode::Off;
  bool tooDeep_ = false;
};

} // namespace

TBookmarkNode *ImportBookmarkText(const QByteArray &html, TBookmarkOutline &tree, TBookmarkNode *selected,
                                  bool *tooDeep) {
  tree.BeginBulk();
  auto info = std::make_unique<TBMInfo>();
  info->Folder = 1;
  info->Title = DocumentTitle(html);
  if (info->Title.isEmpty())
    info->Title = "New folder";
  const bool selectedExpanded = selected != nullptr && selected->Expanded;
  TBookmarkNode *folder =
      tree.IsEmpty() ? tree.Append(nullptr, std::move(info)) : tree.AddNear(selected, std::move(info));
  bool deep = folder == nullptr;
  if (!deep) {
    TImport import(tree, folder);
    import.Run(html);
    deep = import.TooDeep();
  }
  if (deep && folder != nullptr) {
    // The tree goes back to what it was.
    tree.Remove(folder);
    if (selected != nullptr)
      selected->Expanded = selectedExpanded;
    folder = nullptr;
  }
  tree.EndBulk();
  if (tooDeep != nullptr)
    *tooDeep = deep;
  return folder;
}

TBookmarkNode *ImportBookmarkFile(const QString &path, TBookmarkOutline &tree, TBookmarkNode *selected,
                                  bool *tooDeep) {
  if (tooDeep != nullptr)
    *tooDeep = false;
  if (!QFileInfo(path).isFile())
    return nullptr;
  const QByteArray html = ReadScannedFile(path);
  if (html.isEmpty() && QFileInfo(path).size() > 0)
    return nullptr;
  return ImportBookmarkText(html, tree, selected, tooDeep);
}

} // namespace ql
