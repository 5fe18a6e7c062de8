#include "proxy/engine/pages/bookmarks_page.h"

#include "proxy/engine/autobrowse/bookmark_info.h"
#include "proxy/engine/autobrowse/bookmark_tree.h"
#include "proxy/engine/html/html_escape.h"
#include "proxy/engine/http/text_routines.h"
#include "proxy/engine/http/url_split.h"
#include "proxy/engine/pages/page_html.h"
#include "proxy/engine/pages/page_token.h"
#include "proxy/engine/pages/query_string.h"

#include <algorithm>
#include <utility>

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

const char *Icon(const TBMInfo &bookmark, TDateTime now) {
  const bool automatic = bookmark.Scheduled || bookmark.GetNextTime;
  if (automatic && (now > bookmark.NextRefresh || bookmark.GetNextTime))
    return "nexttime.gif";
  return automatic ? "auto.gif" : "leaf.gif";
}

// The tree as nested lists, with its folders collected on the way. Written without recursion,
// so that no depth of tree can exhaust the stack.
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
        Put(out, "</DL>\r\n");
        open.pop_back();
      }
      if (open.empty())
        large_ = true;
      WriteNode(out, tree_.Info(i), static_cast<int>(open.size()));
      if (i + 1 < count && tree_.Level(i + 1) > level) {
        Put(out, "\r\n<DL>\r\n");
        open.push_back(level);
      }
    }
    for (std::size_t i = 0; i < open.size(); ++i)
      Put(out, "</DL>\r\n");
  }

  std::vector<TFolderItem> folders;

private:
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
      *out += Title(node.Title);
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

void WriteAddBookmarkForm(QByteArray &page, const std::vector<TFolderItem> &folders,
                          const QByteArray &lastTitle, const QByteArray &lastUrl) {
  page += "<CENTER><FORM METHOD=GET ACTION=" + PseudoHostUrl() + TokenPath("/bookmarks") + ">";
  page += "<TABLE BORDER=7 CELLPADDING=6><TR><TD><TABLE BORDER=0 CELLPADDING=2>\r\n";
  page += "<TR><TD>Place in</TD><TD COLSPAN=2>\r\n<SELECT NAME=p>\r\n";
  for (const TFolderItem &folder : folders) {
    page += "<OPTION VALUE=" + QByteArray::number(folder.Identity) + ">";
    for (int i = 0; i < folder.Depth; ++i)
      page += "&nbsp&nbsp&nbsp";
    page += HtmlEscape(folder.Title) + "\r\n";
  }
  page += "</SELECT></TD></TR>\r\n";
  page += "<TR><TD>Title</TD>\r\n<TD COLSPAN=2><INPUT TYPE=TEXT SIZE=40 NAME=t VALUE=\"" +
          HtmlEscape(lastTitle) + "\"></TD></TR>\r\n";
  page += "<TR><TD>URL</TD>\r\n<TD COLSPAN=2><INPUT TYPE=TEXT SIZE=40 NAME=u VALUE=\"" + HtmlEscape(lastUrl) +
          "\"></TD></TR>\r\n";
  page +=
      "<TR><TD><INPUT TYPE=CHECKBOX NAME=s VALUE=y>Schedule<BR><INPUT TYPE=CHECKBOX NAME=n VALUE=y>Get next "
      "time\r\n</TD><TD COLSPAN=2>\r\n<SELECT NAME=f>\r\n";
  for (int f = 1; f <= kMaxDays; ++f)
    page += "<OPTION VALUE=" + QByteArray::number(f) + ">" + QByteArray::number(f) + "\r\n";
  page += "</SELECT>\r\n<SELECT NAME=i>\r\n<OPTION VALUE=0>day(s)\r\n";
  static const char *const kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                      "Thursday", "Friday", "Saturday"};
  for (int i = 0; i < 7; ++i)
    page += "<OPTION VALUE=" + QByteArray::number(i + 1) + ">week(s) on " + kDays[i] + "\r\n";
  page += "</SELECT>\r\n</TD></TR>\r\n<TR><TD>Depth</TD><TD>\r\n<SELECT NAME=d>\r\n<OPTION VALUE=0>First "
          "page only\r\n";
  static const char *const kLevels[] = {"1st", "2nd", "3rd", "4th", "5th", "6th", "7th", "8th", "9th"};
  for (int d = 1; d <= kMaxDepth; ++d)
    page += "<OPTION VALUE=" + QByteArray::number(d) + (d == 1 ? " SELECTED>" : ">") + kLevels[d - 1] +
            " level links\r\n";
  page += "</SELECT>\r\n</TD><TD>\r\n<INPUT TYPE=CHECKBOX NAME=o VALUE=y>\r\nFollow outside "
          "domain\r\n</TD></TR>\r\n";
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

} // namespace

std::vector<TFolderItem> BookmarkFolders(TBookmarkTree &tree) {
  TTreeWriter writer(tree, nullptr, 0);
  writer.Write(nullptr);
  return writer.folders;
}

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
  WriteAddBookmarkForm(page, writer.folders, lastTitle, lastUrl);
  page += bar;
  page += "</BODY>";
  return page;
}

QByteArray DescribeBookmarkAddition(const QByteArray &query) {
  QByteArray title = GetQueryParam("t", query);
  QByteArray url = GetQueryParam("u", query);
  TrimBlanks(title);
  TrimBlanks(url);
  QByteArray text =
      "Add \"" + HtmlEscape(title.isEmpty() ? url : title) + "\" (" + HtmlEscape(url) + ") to the bookmarks";
  if (GetQueryParam("s", query) == "y")
    text += ", scheduled for Autobrowse";
  if (GetQueryParam("n", query) == "y")
    text += ", for the next Autobrowse";
  if (GetQueryParam("o", query) == "y")
    text += ", following links outside its domain";
  return text;
}

bool AddBookmarkFromQuery(TBookmarkTree &tree, const QByteArray &query) {
  const int identity = FormNumber("p", query, 1, 1);
  QByteArray title = GetQueryParam("t", query);
  QByteArray url = GetQueryParam("u", query);
  TrimBlanks(title);
  TrimBlanks(url);
  if (url.isEmpty())
    return false;
  int folder = -1;
  for (int i = 0; i < tree.Count(); ++i) {
    const TBMInfo &node = tree.Info(i);
    if (node.Folder && node.SerialId == identity) {
      folder = i;
      break;
    }
  }
  if (folder < 0 || tree.Level(folder) >= kMaxBookmarkLevel)
    return false;

  const int depth = std::clamp(FormNumber("d", query, 1), 0, kMaxDepth);
  int interval = FormNumber("i", query, 0);
  if (interval < 0 || interval > kLastInterval)
    interval = 0;
  const int frequency = std::clamp(FormNumber("f", query, 1), 1, interval == 0 ? kMaxDays : kMaxWeeks);

  auto bookmark = std::make_unique<TBMInfo>();
  bookmark->Copy(tree.Info(folder));
  bookmark->URL = url;
  bookmark->Title = title.isEmpty() ? url : title;
  bookmark->Scheduled = GetQueryParam("s", query) == "y";
  bookmark->GetNextTime = GetQueryParam("n", query) == "y";
  bookmark->FollowExternal = GetQueryParam("o", query) == "y";
  bookmark->Depth = depth;
  if (interval == 0) {
    bookmark->IntervalKind = EveryNDays;
    bookmark->Days = frequency;
  } else {
    bookmark->IntervalKind = EveryNWeeks;
    bookmark->Weeks = frequency;
    bookmark->Weekday = interval - 1;
  }
  bookmark->CalcNextRefresh();
  tree.AddLastChild(folder, std::move(bookmark));
  tree.SaveExtOutline();
  return true;
}

} // namespace ql
