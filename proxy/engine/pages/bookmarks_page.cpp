#include "proxy/engine/pages/bookmarks_page.h"

#include "proxy/engine/autobrowse/bookmark_info.h"
#include "proxy/engine/autobrowse/bookmark_tree.h"
#include "proxy/engine/html/html_escape.h"
#include "proxy/engine/http/text_routines.h"
#include "proxy/engine/http/url_split.h"
#include "proxy/engine/net/own_addresses.h"
#include "proxy/engine/pages/page_html.h"
#include "proxy/engine/pages/page_token.h"
#include "proxy/engine/pages/query_string.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace ql {

namespace {

constexpr int kMaxDepth = 9;
constexpr int kMaxDays = 6;
constexpr int kMaxWeeks = 8;
constexpr int kLastInterval = 7;

QByteArray Title(const QByteArray &title) {
  return title.isEmpty() ? QByteArray("No Title") : HtmlEscape(title);
}

// The address a bookmark links to. Only web schemes are linked as they stand; anything else
// is taken as a host and path, so that a stored "javascript:" text can never run in the
// proxy's own pages.
QByteArray LinkTarget(const QByteArray &url) {
  for (const char *scheme : {"http://", "https://", "ftp://"}) {
    if (StartsWithNoCase(url, scheme))
      return url;
  }
  return "http://" + url;
}

QByteArray HostOf(const QByteArray &url) {
  QByteArray text = url;
  QByteArray host;
  UrlSplitHost(text, host);
  return host;
}

// One folder of the "Place in" list: its title, its depth from 0 at the top level and its
// serial id, the number that the add request names it by.
struct TFolderItem {
  QByteArray Title;
  int Depth = 0;
  int Identity = 0;
};

// The values of an add form: what a query asks for, or what the bookmarks page offers.
struct TBookmarkForm {
  int Folder = 1;
  QByteArray Title;
  QByteArray Url;
  bool Scheduled = false;
  bool NextTime = false;
  bool FollowExternal = false;
  int Frequency = 1;
  int Interval = 0; // 0 days, 1 to 7 weeks on Sunday to Saturday
  int Depth = 1;
};

const char *Icon(const TBMInfo &bookmark, TDateTime now) {
  const bool automatic = bookmark.Scheduled || bookmark.GetNextTime;
  if (automatic && (now > bookmark.NextRefresh || bookmark.GetNextTime))
    return "nexttime.gif";
  return automatic ? "auto.gif" : "leaf.gif";
}

// What a folder deeper than kMaxFolderIndent shows before its title, in the "Place in" list and
// on the bookmarks page: its level, since neither shows that depth by indentation.
QByteArray DepthNumber(int depth) {
  return depth > kMaxFolderIndent ? '[' + QByteArray::number(depth + 1) + "] " : QByteArray();
}

// The tree as nested lists, with its folders collected on the way. Written without recursion,
// so that no depth of tree can exhaust the stack. The lists nest no deeper than
// kMaxFolderIndent: a browser lays out every level of nesting, and tens of thousands of them
// take it seconds. A deeper node stands at that depth, a folder with its depth number.
class TTreeWriter {
public:
  TTreeWriter(TBookmarkTree &tree, const TCachePageOptions *options, TDateTime now)
      : tree_(tree), options_(options), now_(now) {}

  void Write(QByteArray *out) {
    std::vector<int> open; // levels of the nodes whose child lists are open
    const int count = tree_.Count();
    for (int i = 0; i < count; ++i) {
      const int level = tree_.Level(i);
      while (!open.empty() && level <= open.back()) {
        if (Depth(open) <= kMaxFolderIndent)
          Put(out, "</DL>\r\n");
        open.pop_back();
      }
      if (open.empty())
        large_ = true;
      WriteNode(out, tree_.Info(i), Depth(open));
      if (i + 1 < count && tree_.Level(i + 1) > level) {
        Put(out, Depth(open) < kMaxFolderIndent ? "\r\n<DL>\r\n" : "\r\n");
        open.push_back(level);
      }
    }
    for (int lists = std::min(Depth(open), kMaxFolderIndent); lists > 0; --lists)
      Put(out, "</DL>\r\n");
  }

  std::vector<TFolderItem> folders;

private:
  static int Depth(const std::vector<int> &open) { return static_cast<int>(open.size()); }

  static void Put(QByteArray *out, const QByteArray &text) {
    if (out != nullptr)
      *out += text;
  }

  void WriteNode(QByteArray *out, const TBMInfo &node, int depth) {
    const QByteArray self = PseudoHostUrl();
    if (node.Folder) {
      folders.push_back({node.Title, depth, node.SerialId});
      if (out == nullptr)
        return;
      *out += "<DT><IMG ALIGN=TOP WIDTH=13 HEIGHT=13 SRC=" + self + "/images/open.gif> <B>";
      const bool wasLarge = std::exchange(large_, false);
      if (wasLarge)
        *out += "<FONT SIZE=+1>";
      *out += DepthNumber(depth) + Title(node.Title);
      if (wasLarge)
        *out += "</FONT>";
      *out += "</B></DT>";
      return;
    }
    if (out == nullptr)
      return;
    *out += "<DT><IMG ALIGN=TOP WIDTH=13 HEIGHT=13 SRC=" + self + "/images/" + Icon(node, now_) + "> ";
    if (!node.URL.isEmpty())
      *out += "<A HREF=\"" + HtmlEscape(LinkTarget(node.URL)) + "\">";
    *out += Title(node.Title);
    if (!node.URL.isEmpty()) {
      *out +=
          "</A> <A HREF=" + HtmlEscapeAttribute(CacheListLink(HostOf(node.URL), {}, {}, "text", *options_)) +
          "><IMG BORDER=0 WIDTH=18 HEIGHT=10 SRC=" + self + "/images/list.gif></A>";
    }
    *out += "</DT>\r\n";
  }

  TBookmarkTree &tree_;
  const TCachePageOptions *options_;
  TDateTime now_;
  bool large_ = true;
};

const char *Checked(bool on) {
  return on ? " CHECKED>" : ">";
}

const char *Selected(bool on) {
  return on ? " SELECTED>" : ">";
}

// A folder's line of the "Place in" list, indented by its depth up to kMaxFolderIndent levels.
// A deeper folder shows its depth number instead, without indentation, so that a line's
// length does not grow with the depth.
void WriteFolderOption(QByteArray &page, const TFolderItem &folder, bool chosen) {
  static const QByteArray kIndent = QByteArray("&nbsp&nbsp&nbsp").repeated(kMaxFolderIndent);
  page += "<OPTION VALUE=" + QByteArray::number(folder.Identity) + Selected(chosen);
  if (folder.Depth <= kMaxFolderIndent)
    page.append(kIndent.constData(), kIndent.size() / kMaxFolderIndent * folder.Depth);
  page += DepthNumber(folder.Depth) + HtmlEscape(folder.Title) + "\r\n";
}

// The add form, filled in with form; the folder chosen is marked when there is one.
void WriteAddBookmarkForm(QByteArray &page, const std::vector<TFolderItem> &folders,
                          const TBookmarkForm &form, std::optional<int> chosen) {
  page += "<CENTER><FORM METHOD=GET ACTION=" + PseudoHostUrl() + TokenPath("/bookmarks") + ">";
  page += "<TABLE BORDER=7 CELLPADDING=6><TR><TD><TABLE BORDER=0 CELLPADDING=2>\r\n";
  page += "<TR><TD>Place in</TD><TD COLSPAN=2>\r\n<SELECT NAME=p>\r\n";
  // The list is most of the page with a large tree: its room is taken once.
  qsizetype listSize = 0;
  for (const TFolderItem &folder : folders)
    listSize += 64 + folder.Title.size() * 2 + (folder.Depth <= kMaxFolderIndent ? folder.Depth * 15 : 0);
  page.reserve(page.size() + listSize + 4096);
  for (const TFolderItem &folder : folders)
    WriteFolderOption(page, folder, chosen == folder.Identity);
  page += "</SELECT></TD></TR>\r\n";
  page += "<TR><TD>Title</TD>\r\n<TD COLSPAN=2><INPUT TYPE=TEXT SIZE=40 NAME=t VALUE=\"" +
          HtmlEscape(form.Title) + "\"></TD></TR>\r\n";
  page += "<TR><TD>URL</TD>\r\n<TD COLSPAN=2><INPUT TYPE=TEXT SIZE=40 NAME=u VALUE=\"" +
          HtmlEscape(form.Url) + "\"></TD></TR>\r\n";
  page += QByteArray("<TR><TD><INPUT TYPE=CHECKBOX NAME=s VALUE=y") + Checked(form.Scheduled) +
          "Schedule<BR><INPUT TYPE=CHECKBOX NAME=n VALUE=y" + Checked(form.NextTime) +
          "Get next time\r\n</TD><TD COLSPAN=2>\r\n<SELECT NAME=f>\r\n";
  for (int f = 1; f <= kMaxDays; ++f)
    page += "<OPTION VALUE=" + QByteArray::number(f) + Selected(f == form.Frequency) + QByteArray::number(f) +
            "\r\n";
  page += QByteArray("</SELECT>\r\n<SELECT NAME=i>\r\n<OPTION VALUE=0") + Selected(form.Interval == 0) +
          "day(s)\r\n";
  static const char *const kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                      "Thursday", "Friday", "Saturday"};
  for (int i = 0; i < 7; ++i)
    page += "<OPTION VALUE=" + QByteArray::number(i + 1) + Selected(form.Interval == i + 1) + "week(s) on " +
            kDays[i] + "\r\n";
  page +=
      QByteArray("</SELECT>\r\n</TD></TR>\r\n<TR><TD>Depth</TD><TD>\r\n<SELECT NAME=d>\r\n<OPTION VALUE=0") +
      Selected(form.Depth == 0) + "First page only\r\n";
  static const char *const kLevels[] = {"1st", "2nd", "3rd", "4th", "5th", "6th", "7th", "8th", "9th"};
  for (int d = 1; d <= kMaxDepth; ++d)
    page += "<OPTION VALUE=" + QByteArray::number(d) + Selected(d == form.Depth) + kLevels[d - 1] +
            " level links\r\n";
  page += QByteArray("</SELECT>\r\n</TD><TD>\r\n<INPUT TYPE=CHECKBOX NAME=o VALUE=y") +
          Checked(form.FollowExternal) + "\r\nFollow outside domain\r\n</TD></TR>\r\n";
  page += "<TR><TD ALIGN=CENTER COLSPAN=3>\r\n<INPUT TYPE=SUBMIT VALUE=\"     Add to bookmarks     "
          "\">\r\n</TD></TR>\r\n"
          "</TABLE>\r\n</TD></TR>\r\n</TABLE>\r\n</FORM></CENTER>\r\n";
}

// A number of the add form: absent when the key is absent, bad when it is not a number.
int FormNumber(const char *key, const QByteArray &query, int absent, int bad = 0) {
  if (!HasQueryParam(key, query))
    return absent;
  bool ok = false;
  const int value = GetQueryParam(key, query).trimmed().toInt(&ok);
  return ok ? value : bad;
}

// The add form's values that the query asks for.
TBookmarkForm ReadBookmarkForm(const QByteArray &query) {
  TBookmarkForm form;
  form.Folder = FormNumber("p", query, 1, 1);
  form.Title = GetQueryParam("t", query);
  form.Url = GetQueryParam("u", query);
  TrimBlanks(form.Title);
  TrimBlanks(form.Url);
  form.Scheduled = GetQueryParam("s", query) == "y";
  form.NextTime = GetQueryParam("n", query) == "y";
  form.FollowExternal = GetQueryParam("o", query) == "y";
  form.Depth = std::clamp(FormNumber("d", query, 1), 0, kMaxDepth);
  form.Interval = FormNumber("i", query, 0);
  if (form.Interval < 0 || form.Interval > kLastInterval)
    form.Interval = 0;
  form.Frequency = std::clamp(FormNumber("f", query, 1), 1, form.Interval == 0 ? kMaxDays : kMaxWeeks);
  return form;
}

std::vector<TFolderItem> Folders(TBookmarkTree &tree) {
  TTreeWriter writer(tree, nullptr, 0);
  writer.Write(nullptr);
  return writer.folders;
}

} // namespace

QByteArray BookmarksPage(TBookmarkTree &tree, const TCachePageOptions &options, const QByteArray &lastTitle,
                         const QByteArray &lastUrl, TDateTime now) {
  const QByteArray bar = PageHeaderBar(QByteArray(kPseudoHost) + "/bookmarks");
  QByteArray page = kPageStart;
  page += "<!doctype quenlark-bookmark>\r\n";
  page += "<HEAD><TITLE>Quenlark Bookmarks</TITLE></HEAD><BODY BGCOLOR=#FFFFCC>\r\n";
  page += bar;
  page += "<DL><DL>\r\n";
  TTreeWriter writer(tree, &options, now);
  writer.Write(&page);
  page += "</DL></DL>\r\n";
  TBookmarkForm offered;
  offered.Title = lastTitle;
  offered.Url = lastUrl;
  WriteAddBookmarkForm(page, writer.folders, offered, std::nullopt);
  page += bar;
  page += "</BODY>";
  return page;
}

QByteArray BookmarkFolderPage(TBookmarkTree &tree, const QByteArray &query) {
  const QByteArray bar = PageHeaderBar(QByteArray(kPseudoHost) + "/bookmarks");
  const TBookmarkForm asked = ReadBookmarkForm(query);
  QByteArray page = kPageStart;
  page += "<HEAD><TITLE>Quenlark Bookmarks</TITLE></HEAD><BODY BGCOLOR=#FFFFCC>\r\n";
  page += bar;
  page += "<CENTER><BR><B><FONT SIZE=+2>Add to bookmarks</FONT></B><BR><BR>Choose the folder and confirm "
          "the bookmark:<BR><BR></CENTER>\r\n";
  WriteAddBookmarkForm(page, Folders(tree), asked,
                       HasQueryParam("p", query) ? std::optional<int>(asked.Folder) : std::nullopt);
  page += bar;
  page += "</BODY>";
  return page;
}

bool AddBookmarkFromQuery(TBookmarkTree &tree, const QByteArray &query) {
  const TBookmarkForm asked = ReadBookmarkForm(query);
  if (asked.Url.isEmpty())
    return false;
  int folder = -1;
  for (int i = 0; i < tree.Count(); ++i) {
    const TBMInfo &node = tree.Info(i);
    if (node.Folder && node.SerialId == asked.Folder) {
      folder = i;
      break;
    }
  }
  if (folder < 0 || tree.Level(folder) >= kMaxBookmarkLevel)
    return false;

  auto bookmark = std::make_unique<TBMInfo>();
  bookmark->Copy(tree.Info(folder));
  bookmark->URL = asked.Url;
  bookmark->Title = asked.Title.isEmpty() ? asked.Url : asked.Title;
  bookmark->Scheduled = asked.Scheduled;
  bookmark->GetNextTime = asked.NextTime;
  bookmark->FollowExternal = asked.FollowExternal;
  bookmark->Depth = asked.Depth;
  if (asked.Interval == 0) {
    bookmark->IntervalKind = EveryNDays;
    bookmark->Days = asked.Frequency;
  } else {
    bookmark->IntervalKind = EveryNWeeks;
    bookmark->Weeks = asked.Frequency;
    bookmark->Weekday = asked.Interval - 1;
  }
  bookmark->CalcNextRefresh();
  tree.AddLastChild(folder, std::move(bookmark));
  tree.SaveExtOutline();
  return true;
}

} // namespace ql
