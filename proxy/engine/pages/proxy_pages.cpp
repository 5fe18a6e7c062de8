#include "proxy/engine/pages/proxy_pages.h"

#include "proxy/engine/cache/cache_key.h"
#include "proxy/engine/html/html_escape.h"
#include "proxy/engine/net/own_addresses.h"

namespace ql {

namespace {

QByteArray DisplayUrl(const QByteArray &host, int port, const QByteArray &path) {
  QByteArray url = "http://" + host;
  if (port != 80)
    url += ':' + QByteArray::number(port);
  return url + path;
}

void WriteSuggestions(QByteArray &page, const std::vector<TSuggestion> &suggestions) {
  bool headed = false;
  for (const TSuggestion &s : suggestions) {
    const QByteArray link = HtmlEscapeAttribute(s.Url);
    const QByteArray shown = HtmlEscape(s.Url);
    if (s.kind == TSuggestion::kDirectory) {
      page += headed ? "<BR>" : "<BR>Try the following link(s) instead:<BR>";
      page += "<A HREF=" + link + "><FONT SIZE=+2>" + shown + "</FONT></A>";
      headed = true;
      continue;
    }
    if (!headed)
      page += "Try the following link(s) instead:<BR>";
    headed = true;
    if (s.Title.isEmpty()) {
      page += "<BR><A HREF=" + link + "><FONT SIZE=+2>" + shown + "</FONT></A><BR>\r\n";
    } else if (s.kind == TSuggestion::kQueryPage) {
      page += "<BR><A HREF=" + link + "><FONT SIZE=+2>" + HtmlEscape(s.Title) + "</FONT>\r\n<BR>";
      page += "<FONT SIZE=-1>" + shown + "</FONT></A><BR>\r\n";
    } else {
      page += "<BR><A HREF=" + link + "><FONT SIZE=+2>" + HtmlEscape(s.Title) + "</FONT></A>\r\n";
      page += "<BR><FONT SIZE=-1>" + shown + "</FONT></A><BR>\r\n";
    }
  }
}

void WriteAddBookmarkForm(QByteArray &page, const TNotInCacheFacts &facts, const QByteArray &key) {
  page += QByteArray("<FORM METHOD=GET ACTION=http://") + kPseudoHost + "/bookmarks>";
  page += "<TABLE  BORDER=7 CELLPADDING=6><TR><TD><TABLE BORDER=0 CELLPADDING=2>\r\n";
  page += "<TR><TD>Title</TD>\r\n<TD COLSPAN=2><INPUT TYPE=TEXT SIZE=40 NAME=t VALUE=\"New "
          "Document\"></TD></TR>";
  page += "<TR><TD>Add</TD>\r\n<TD COLSPAN=2><SELECT NAME=u>\r\n<OPTION VALUE=\"" + HtmlEscape(key) +
          "\" SELECTED>This link\r\n";
  if (!facts.Referrer.isEmpty() && !facts.Referrer.contains(kPseudoHost))
    page += "<OPTION VALUE=\"" + HtmlEscape(facts.Referrer) + "\">Referring Page\r\n";
  page += "</SELECT></TD></TR>";
  page += "<TR><TD><INPUT TYPE=CHECKBOX NAME=s VALUE=y>Schedule<BR><INPUT TYPE=CHECKBOX NAME=n VALUE=y "
          "CHECKED>Get next time\r\n</TD><TD COLSPAN=2>\r\n<SELECT NAME=f>\r\n<OPTION "
          "VALUE=1>1\r\n<OPTION VALUE=2>2\r\n";
  page += "<OPTION VALUE=3>3\r\n<OPTION VALUE=4>4\r\n<OPTION VALUE=5>5\r\n<OPTION "
          "VALUE=6>6\r\n</SELECT>\r\n";
  page += "<SELECT NAME=i>\r\n<OPTION VALUE=0>day(s)\r\n<OPTION VALUE=1>week(s) on Sunday\r\n<OPTION "
          "VALUE=2>week(s) on Monday\r\n<OPTION VALUE=3>week(s) on Tuesday\r\n";
  page += "<OPTION VALUE=4>week(s) on Wednesday\r\n<OPTION VALUE=5>week(s) on Thursday\r\n<OPTION "
          "VALUE=6>week(s) on Friday\r\n<OPTION VALUE=7>week(s) on "
          "Saturday\r\n</SELECT>\r\n</TD></TR>\r\n<TR><TD>Depth</TD><TD>\r\n";
  page += "<SELECT NAME=d>\r\n<OPTION VALUE=0>First page only\r\n<OPTION VALUE=1 SELECTED>1st level "
          "links\r\n<OPTION VALUE=2>2nd level links\r\n<OPTION VALUE=3>3rd level links\r\n<OPTION "
          "VALUE=4>4th level links\r\n";
  page += "<OPTION VALUE=5>5th level links\r\n<OPTION VALUE=6>6th level links\r\n<OPTION VALUE=7>7th "
          "level links\r\n<OPTION VALUE=8>8th level links\r\n<OPTION VALUE=9>9th level "
          "links\r\n</SELECT>\r\n";
  page += "</TD><TD>\r\n<INPUT TYPE=CHECKBOX NAME=o VALUE=y>\r\nFollow outside domain\r\n</TD></TR>\r\n";
  page += "<TR><TD ALIGN=CENTER COLSPAN=3>\r\n<INPUT TYPE=SUBMIT VALUE=\"     Add to bookmarks     "
          "\">\r\n</TD></TR>\r\n</TABLE>\r\n</TD></TR>\r\n</TABLE>\r\n</FORM>";
}

QByteArray NewsBar() {
  const QByteArray host = kPseudoHost;
  return "<TD WIDTH=1% ALIGN=CENTER><TABLE BORDER=0 CELLPADDING=0 CELLSPACING=0><TR>"
         "<TD WIDTH=1%><A HREF=http://" +
         host + "/bookmarks><IMG\r\nWIDTH=25 HEIGHT=24 BORDER=0 SRC=http://" + host +
         "/images/bookmark.gif></A></TD><TD WIDTH=1%><A\r\nHREF=http://" + host +
         "/cache><IMG\r\nWIDTH=25 HEIGHT=24 BORDER=0 SRC=http://" + host + "/images/cache.gif></A></TD>\r\n";
}

} // namespace

QByteArray NotInCachePage(const TNotInCacheFacts &facts) {
  const QByteArray display = DisplayUrl(facts.Host, facts.Port, facts.Path);
  const QByteArray key = CacheKey(facts.Host, facts.Port, facts.Path);
  QByteArray page = "HTTP/1.0 404 Not in Cache\r\nAllow: GET POST\r\nMIME-version: 1.0\r\nContent-type: "
                    "text/html; charset=UTF-8\r\n\r\n";
  // The page stands at the missing URL's own address, where that site's scripts may read it:
  // its links go without a Referer, and neither its switch links nor its add-bookmark form
  // carry a token or a folder, so the switch is confirmed and the folder chosen on the
  // proxy's own pages.
  page += "<HEAD><TITLE>Quenlark Information</TITLE><META NAME=referrer CONTENT=no-referrer></HEAD><BODY "
          "BGCOLOR=#FFFFCC>\r\n<CENTER>";
  page += facts.HeaderBar;
  page += "<BR><B><FONT SIZE=+2>Not in cache</FONT></B>\r\n";
  page += "<BR><BR>The following URL was not found in the cache:<BR><B>" + HtmlEscape(display) + "</B>";
  if (facts.IsGet)
    page += "<BR><BR><B><A HREF=" +
            HtmlEscapeAttribute(QByteArray("http://") + kPseudoHost + "/online?" + display.mid(7)) +
            ">Switch to 'online' mode and retrieve</A></B><BR>";
  if (!facts.Referrer.isEmpty())
    page += "<BR><FONT SIZE=-2><A HREF=" + HtmlEscapeAttribute(facts.Referrer) +
            "><IMG BORDER=0 WIDTH=24 HEIGHT=17 SRC=http://" + kPseudoHost +
            "/images/backward.gif><BR>Back to previous page</A></FONT><BR><BR>";
  WriteSuggestions(page, facts.Suggestions);
  WriteAddBookmarkForm(page, facts, key);
  page += "</CENTER>" + facts.HeaderBar + "</BODY>";
  return page;
}

QByteArray NewsPage() {
  const QByteArray bar = NewsBar();
  QByteArray page = "HTTP/1.0 200 OK\r\nAllow: GET POST\r\nMIME-version: 1.0\r\nContent-type: text/html; "
                    "charset=UTF-8\r\n\r\n";
  page += "<HEAD><TITLE>Quenlark News Page</TITLE></HEAD><BODY BGCOLOR=#FFFFFF>\r\n";
  page += "<CENTER><TABLE BORDER=4 WIDTH=95%><TR>\r\n";
  page += bar;
  page += "</TR></TABLE><TH>Quenlark News Page</TH></TR></TABLE><BR>\r\n";
  page += "<TABLE WIDTH=75% BORDER=0><TR><TH><H1>News Page</H1></TH></TR>\r\n";
  page += "<TR><TD><FONT SIZE=+2>This page will be automatically updated to\r\n";
  page += " bring you the latest news of Quenlark's development.</FONT></TD></TR>\r\n";
  page += "<TR><TD><BR><FONT SIZE=+2>Use it to keep track of the latest releases\r\n";
  page += " and updates, and to find out what's coming in future releases.\r\n";
  page += "</FONT></TD></TR></TABLE><BR><BR><TABLE BORDER=4 WIDTH=95%><TR>\r\n";
  page += bar;
  page += "</TR></TABLE><TH>Quenlark News Page</TH></TR></TABLE></CENTER></BODY>\r\n";
  return page;
}

QByteArray DnsNotFoundPage(const QByteArray &host, int port, const QByteArray &path,
                           const QByteArray &headerBar) {
  const QByteArray h = HtmlEscape(host);
  const QByteArray p = HtmlEscape(path);
  const QByteArray n = QByteArray::number(port);
  QByteArray page = "HTTP/1.0 404 DNS not found\r\nContent-type: text/html; charset=UTF-8\r\n\r\n";
  // The page stands at the unknown host's address; its links go without a Referer, and its
  // header bar's switch carries no token.
  page += "<HEAD><TITLE>Quenlark Information</TITLE><META NAME=referrer CONTENT=no-referrer></HEAD><BODY "
          "BGCOLOR=#FFFFCC>\r\n" +
          headerBar;
  page += "<CENTER><BR><BR><B><FONT SIZE=+2>Failed Name Lookup</FONT></B>\r\n";
  page += "<BR><BR>The specified host name could not be found. Check the spelling of the name:<BR>";
  page += "<FONT SIZE=+2><B>" + h + "</B></FONT>";
  page += "<BR><BR><A HREF=\"http://" + h + ":" + n + p + "\">Retry - http://" + h + p + "</A>";
  if (!host.contains("www"))
    page += "<BR><BR><A HREF=\"http://www." + h + ":" + n + p + "\">Retry - http://www." + h + p + "</A>";
  page += "</CENTER><BR>" + headerBar + "</BODY>";
  return page;
}

QByteArray NowGetRedirect(const QByteArray &host, int port, const QByteArray &path) {
  QByteArray answer = "HTTP/1.0 302 Now Get... \r\nLocation: http://www." + host + ".com";
  if (port != 80)
    answer += ':' + QByteArray::number(port);
  return answer + path + "\r\nAllow: GET POST\r\nMIME-version: 1.0\r\n\r\n";
}

} // namespace ql
